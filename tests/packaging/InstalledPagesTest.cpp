#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "InstallTree.h"
#include "support/RunProgram.h"

// Ties each installed manual page to its program's --help: every option and
// every subcommand the help names is in the page as man shows it, an option
// of a subcommand in that subcommand's part. Read here on its own terms, not
// with the page writer's reader, so that a fault of the writer shows.

namespace {

const char* const Man = "/usr/bin/man";

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (const char c : text) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

std::size_t Indent(const std::string& line) {
    return std::min(line.find_first_not_of(' '), line.size());
}

std::string Trim(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    return first == std::string::npos ? ""
                                      : text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::set<std::string> OptionTokens(const std::string& text) {
    static const std::regex option(R"((?:^|[\s\[,|(])(--?[A-Za-z][A-Za-z0-9-]*))");
    std::set<std::string> tokens;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), option);
         it != std::sregex_iterator(); ++it)
        tokens.insert((*it)[1]);
    return tokens;
}

// What a help lists: the options of its entries (indented lines that start
// with '-', up to the gap before their description), every option it names
// anywhere, and the names under "Subcommands:".
struct HelpFacts {
    std::set<std::string> entryOptions;
    std::set<std::string> anyOptions;
    std::vector<std::string> subcommands;
};

HelpFacts ReadHelp(const std::string& help) {
    HelpFacts facts;
    facts.anyOptions = OptionTokens(help);
    bool inSubcommands = false;
    for (const std::string& line : Lines(help)) {
        const std::size_t indent = Indent(line);
        if (indent == line.size()) {
            inSubcommands = false;
            continue;
        }
        if (indent == 0) {
            inSubcommands = line == "Subcommands:";
            continue;
        }
        const std::string entry = line.substr(indent, line.find("  ", indent) - indent);
        if (inSubcommands && indent == 2)
            facts.subcommands.push_back(entry);
        if (entry[0] == '-')
            for (const std::string& token : OptionTokens(entry))
                facts.entryOptions.insert(token);
    }
    return facts;
}

struct Help {
    std::string path; // "" for the program, else "curve check"
    HelpFacts facts;
};

// The program's help and, depth first, that of every subcommand it lists.
void CollectHelp(const std::string& program, const std::string& path, std::vector<Help>& helps) {
    std::vector<std::string> args;
    std::string word;
    for (const char c : path + " ") {
        if (c != ' ') {
            word += c;
        } else if (!word.empty()) {
            args.push_back(word);
            word.clear();
        }
    }
    args.push_back("--help");
    const ProgramResult run = RunProgram(InstallTree::Program(program), args);
    ASSERT_EQ(0, run.exitCode) << program << " " << path << " --help: " << run.err;
    helps.push_back({path, ReadHelp(run.out)});
    const std::vector<std::string> subcommands = helps.back().facts.subcommands;
    ASSERT_LT(helps.size(), 200u);
    for (const std::string& sub : subcommands)
        CollectHelp(program, path.empty() ? sub : path + " " + sub, helps);
}

// The page as man shows it, without hyphenation and at a width no option wraps at.
std::string ShowPage(const std::string& program) {
    ::setenv("MANWIDTH", "250", 1);
    ::setenv("LC_ALL", "C.UTF-8", 1);
    ::unsetenv("MAN_KEEP_FORMATTING");
    const ProgramResult run = RunProgram(
        Man, {"--no-hyphenation", "--no-justification", "-l", InstallTree::Page(program)});
    EXPECT_EQ(0, run.exitCode) << run.err;
    std::string text = run.out;
    // A minus sign or hyphen glyph reads as the ASCII one it stands for.
    for (const char* glyph : {"\u2212", "\u2010"})
        for (std::size_t at = text.find(glyph); at != std::string::npos; at = text.find(glyph))
            text.replace(at, std::string(glyph).size(), "-");
    return text;
}

// The page's sections by heading (column-0 lines), and the subsections of
// SUBCOMMANDS by theirs (lines indented by three).
struct PageFacts {
    std::string all;
    std::map<std::string, std::string> sections;
    std::map<std::string, std::string> subcommands;
};

PageFacts ReadPage(const std::string& text) {
    PageFacts page;
    page.all = text;
    std::string section;
    std::string subsection;
    for (const std::string& line : Lines(text)) {
        const std::size_t indent = Indent(line);
        if (indent == 0 && !line.empty()) {
            section = line;
            subsection.clear();
            continue;
        }
        if (section == "SUBCOMMANDS" && indent == 3 && indent < line.size()) {
            subsection = Trim(line);
            page.subcommands[subsection];
            continue;
        }
        page.sections[section] += line + "\n";
        if (!subsection.empty())
            page.subcommands[subsection] += line + "\n";
    }
    return page;
}

bool Contains(const std::string& text, const std::string& token) {
    static const std::string word =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-";
    for (std::size_t at = text.find(token); at != std::string::npos;
         at = text.find(token, at + 1)) {
        const bool before = at > 0 && word.find(text[at - 1]) != std::string::npos;
        const std::size_t end = at + token.size();
        const bool after = end < text.size() && word.find(text[end]) != std::string::npos;
        if (!before && !after)
            return true;
    }
    return false;
}

// Checks the page of `program` against its help; returns what the help lists.
std::vector<Help> CheckPage(const std::string& program) {
    std::vector<Help> helps;
    CollectHelp(program, "", helps);
    PageFacts page = ReadPage(ShowPage(program));
    for (const Help& help : helps) {
        for (const std::string& option : help.facts.anyOptions)
            EXPECT_TRUE(Contains(page.all, option))
                << program << ": " << option << " is not in the page";
        if (help.path.empty()) {
            for (const std::string& option : help.facts.entryOptions)
                EXPECT_TRUE(Contains(page.sections["OPTIONS"], option))
                    << program << ": " << option << " is not under OPTIONS";
            continue;
        }
        const auto part = page.subcommands.find(help.path);
        if (part == page.subcommands.end()) {
            ADD_FAILURE() << program << ": subcommand \"" << help.path << "\" is not in the page";
            continue;
        }
        for (const std::string& option : help.facts.entryOptions)
            EXPECT_TRUE(Contains(part->second, option))
                << program << " " << help.path << ": " << option << " is not in its part";
    }
    return helps;
}

bool Lists(const std::vector<Help>& helps, const std::string& path) {
    return std::any_of(helps.begin(), helps.end(), [&](const Help& h) { return h.path == path; });
}

bool HasOption(const std::vector<Help>& helps, const std::string& option) {
    return helps.front().facts.entryOptions.count(option) > 0;
}

} // namespace

TEST(InstalledPages, TheCommandLinesPageHoldsEverySubcommandAndOption) {
    const std::vector<Help> helps = CheckPage("tundrix-cli");
    // The reading above found what the help holds (these at least).
    for (const char* path : {"query", "send", "identify", "terminal", "vaporix", "curve",
                             "curve check", "curve show", "curve convert", "curve standard"})
        EXPECT_TRUE(Lists(helps, path)) << path;
    for (const char* option : {"--port", "--settings", "--version", "--help", "-h"})
        EXPECT_TRUE(HasOption(helps, option)) << option;
}

TEST(InstalledPages, TheSimulatorsPageHoldsEveryOption) {
    const std::vector<Help> helps = CheckPage("tundrix-sim");
    for (const char* option : {"--pty", "--tcp", "--gpib", "--gpib-address", "--model",
                               "--reply-delay", "--version", "--help"})
        EXPECT_TRUE(HasOption(helps, option)) << option;
}

#if TUNDRIX_WITH_GUI
TEST(InstalledPages, TheWindowProgramsPagesHoldEveryOption) {
    const std::vector<Help> utility = CheckPage("tundrix");
    for (const char* option : {"--simulate", "--settings", "--version", "--help"})
        EXPECT_TRUE(HasOption(utility, option)) << option;
    const std::vector<Help> calculator = CheckPage("vaporix");
    for (const char* option : {"--version", "--help"})
        EXPECT_TRUE(HasOption(calculator, option)) << option;
}
#endif

// What lintian asks of a page: groff reads it without a warning, and its
// NAME line gives the program and what it is.
TEST(InstalledPages, GroffReadsEveryPageWithoutAWarning) {
    std::vector<std::string> programs{"tundrix-cli", "tundrix-sim"};
#if TUNDRIX_WITH_GUI
    programs.insert(programs.end(), {"tundrix", "vaporix"});
#endif
    ::setenv("LC_ALL", "C.UTF-8", 1);
    ::setenv("MANROFFSEQ", "", 1);
    ::setenv("MANWIDTH", "80", 1);
    for (const std::string& program : programs) {
        const ProgramResult run = RunProgram(
            Man, {"--warnings", "-E", "UTF-8", "-l", "-Tutf8", "-Z", InstallTree::Page(program)});
        EXPECT_EQ(0, run.exitCode) << program;
        EXPECT_EQ("", run.err) << program;
        const ProgramResult whatis = RunProgram("/usr/bin/lexgrog", {InstallTree::Page(program)});
        EXPECT_EQ(0, whatis.exitCode) << whatis.out << whatis.err;
        EXPECT_NE(std::string::npos, whatis.out.find(": \"" + program + " - ")) << whatis.out;
    }
}
