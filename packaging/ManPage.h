#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "packaging/HelpText.h"

// One subcommand's own --help ("curve check" for `tundrix-cli curve check --help`).
struct SubcommandHelp {
    std::string path;
    HelpText help;
};

// A manual page made of a program's help and a hand-written page around it.
//
// The help gives the synopsis (every usage line), the description (what the
// help says before its first group, and its unlabelled paragraphs), the
// OPTIONS section (the option and positional lists), the SUBCOMMANDS section
// (one subsection per subcommand, nested ones by their whole path), and a
// section for every other group or labelled paragraph ("Models:" gives MODELS,
// "Exit status: ..." gives EXIT STATUS).
//
// The hand-written page is roff with these lines of their own: @SYNOPSIS@,
// @DESCRIPTION@ and @SECTIONS@; and @NAME@ anywhere for values the build
// gives (@VERSION@, @PRIVATE_LIBDIR@, ...). A generated section whose name the
// page also has as a .SH goes under that heading, before the hand-written
// text; the others go where @SECTIONS@ stands.
class CManPage {
public:
    CManPage(std::string program, HelpText help, std::vector<SubcommandHelp> subcommands);

    // The page, or "" with `error` set when the hand-written page lacks a
    // placeholder that has something to hold or names a value not given.
    std::string Fill(std::string_view page, const std::map<std::string, std::string>& values,
                     std::string& error) const;

    // The generated sections by name, in the order the help gives them.
    std::vector<std::pair<std::string, std::string>> Sections() const;
    std::string Synopsis() const;
    std::string Description() const;

private:
    std::string Subcommands() const;

    std::string program_;
    HelpText help_;
    std::vector<SubcommandHelp> subcommands_;
};
