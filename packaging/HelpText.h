#pragma once

#include <string>
#include <string_view>
#include <vector>

// A program's --help text, read into the parts a manual page is made of.
//
// The programs print two layouts that follow the same rules: the one of the
// command-line library of tundrix-cli (a description, "Usage:", then groups
// such as "Options:", "Positionals:" and "Subcommands:") and the hand-written
// ones of tundrix-sim, tundrix and vaporix (usage, paragraphs, headed groups,
// tables). The rules:
// - lines before a "Usage:" line describe the program; the usage goes on over
//   the indented lines below it;
// - blank lines separate blocks;
// - a block whose first column-0 lines end with ':' and go on indented is a
//   group under that heading; "Options (remark):" keeps the remark apart;
// - in a group, a line at the group's least indent starts an entry: its name,
//   two or more spaces, its description; deeper lines go on with the
//   description; column-0 lines after the entries are a paragraph of the group;
// - a column-0 block without such a heading is a paragraph; "Label: text"
//   gives it a label (up to three words);
// - indented lines without a heading are a group without one.

struct HelpEntry {
    std::string name;        // "--port TEXT", "query", "INP x:TEMP?"
    std::string description; // its lines joined by single spaces
};

struct HelpBlock {
    enum class Kind {
        Paragraph, // `lines` as printed (indented lines stay indented)
        List,      // options, positionals or subcommands: `entries`
        Table,     // any other group: `lines` as printed, layout kept
    };
    Kind kind = Kind::Paragraph;
    std::string heading;            // group heading or paragraph label, without ':'
    std::string remark;             // "at least one of ..." of "Options (at least one of ...):"
    std::vector<HelpEntry> entries; // List
    std::vector<std::string> lines; // Paragraph and Table
    std::vector<std::string> after; // the paragraph that closes a group
};

struct HelpText {
    std::vector<std::string> description;
    std::vector<std::string> usage; // without "Usage:", whitespace runs made single spaces
    std::vector<HelpBlock> blocks;
};

HelpText ParseHelpText(std::string_view text);

// True for the group that lists subcommands ("Subcommands:").
bool IsSubcommandGroup(const HelpBlock& block);

// The first word of every entry in the subcommand groups, in their order.
std::vector<std::string> SubcommandNames(const HelpText& help);
