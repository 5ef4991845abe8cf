#include "packaging/ManPage.h"

#include <algorithm>
#include <cctype>

#include "packaging/Roff.h"

namespace {

using Kind = HelpBlock::Kind;

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

int WordCount(std::string_view text) {
    int count = 0;
    bool inWord = false;
    for (const char c : text) {
        if (c != ' ' && !inWord)
            ++count;
        inWord = c != ' ';
    }
    return count;
}

// "curve convert [OPTIONS] IN OUT" as printed after "Usage:"; the program's
// path, when it printed one, becomes its name.
std::string UsageLine(const std::string& program, const std::string& usage) {
    const std::size_t end = usage.find(' ');
    const std::string first = usage.substr(0, end);
    if (first.size() >= program.size() &&
        first.compare(first.size() - program.size(), program.size(), program) == 0)
        return program + (end == std::string::npos ? "" : usage.substr(end));
    return usage;
}

// Column-0 lines are filled; an indented line stands on a line of its own.
std::string Paragraph(const std::vector<std::string>& lines, const std::string& label = {}) {
    std::string out = ".PP\n";
    if (!label.empty())
        out += "\\fB" + RoffText(label) + ":\\fR\n";
    for (const std::string& line : lines) {
        const std::size_t indent = line.find_first_not_of(' ');
        if (indent == 0)
            out += RoffText(line) + "\n";
        else
            out += ".RS\n.nf\n" + RoffText(line.substr(indent)) + "\n.fi\n.RE\n";
    }
    return out;
}

std::string Preformatted(const std::vector<std::string>& lines) {
    std::size_t common = std::string::npos;
    for (const std::string& line : lines)
        common = std::min(common, line.find_first_not_of(' '));
    std::string out = ".PP\n.nf\n";
    for (const std::string& line : lines)
        out += RoffText(line.substr(common)) + "\n";
    return out + ".fi\n";
}

std::string Sentence(std::string text) {
    if (!text.empty())
        text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    if (!text.empty() && text.back() != '.')
        text += '.';
    return text;
}

std::string Entries(const std::vector<HelpEntry>& entries) {
    std::string out;
    for (const HelpEntry& entry : entries) {
        out += ".TP\n" + RoffEntryName(entry.name) + "\n";
        if (!entry.description.empty())
            out += RoffText(entry.description) + "\n";
    }
    return out;
}

// A group of the help: its remark, its entries or table, its closing paragraph.
// `subheading` names it in a subsection when it is not the section's own.
std::string Group(const HelpBlock& block, bool subheading) {
    std::string out;
    if (subheading && !block.heading.empty())
        out += ".SS " + RoffHeading(block.heading) + "\n";
    if (!block.remark.empty())
        out += ".PP\n" + RoffText(Sentence(block.remark)) + "\n";
    out += block.kind == Kind::List ? Entries(block.entries) : Preformatted(block.lines);
    if (!block.after.empty())
        out += Paragraph(block.after);
    return out;
}

bool IsOptionGroup(const HelpBlock& block) {
    return block.kind == Kind::List && !IsSubcommandGroup(block);
}

bool SameParagraph(const HelpBlock& a, const HelpBlock& b) {
    return a.kind == Kind::Paragraph && b.kind == Kind::Paragraph && a.heading == b.heading &&
           a.lines == b.lines;
}

void AddTo(std::vector<std::pair<std::string, std::string>>& sections, const std::string& name,
           const std::string& text) {
    const auto it = std::find_if(sections.begin(), sections.end(),
                                 [&](const auto& section) { return section.first == name; });
    if (it == sections.end())
        sections.emplace_back(name, text);
    else
        it->second += text;
}

// Replaces every @NAME@ in `line` by its value; false for a name without one.
bool Substitute(std::string& line, const std::map<std::string, std::string>& values,
                std::string& error) {
    for (std::size_t open = line.find('@'); open != std::string::npos;) {
        const std::size_t close = line.find('@', open + 1);
        if (close == std::string::npos)
            break;
        const std::string name = line.substr(open + 1, close - open - 1);
        const bool isName =
            !name.empty() && std::all_of(name.begin(), name.end(), [](unsigned char c) {
                return std::isupper(c) || c == '_';
            });
        if (!isName) {
            open = close;
            continue;
        }
        const auto value = values.find(name);
        if (value == values.end()) {
            error = "no value for @" + name + "@";
            return false;
        }
        line.replace(open, close - open + 1, value->second);
        open = line.find('@', open + value->second.size());
    }
    return true;
}

} // namespace

CManPage::CManPage(std::string program, HelpText help, std::vector<SubcommandHelp> subcommands)
    : program_(std::move(program)), help_(std::move(help)), subcommands_(std::move(subcommands)) {}

std::string CManPage::Synopsis() const {
    std::string out;
    for (const std::string& usage : help_.usage)
        out += RoffUsage(UsageLine(program_, usage), 1) + "\n.br\n";
    for (const SubcommandHelp& sub : subcommands_) {
        if (!SubcommandNames(sub.help).empty())
            continue; // only the subcommands that run something
        for (const std::string& usage : sub.help.usage)
            out += RoffUsage(UsageLine(program_, usage), 1 + WordCount(sub.path)) + "\n.br\n";
    }
    return out;
}

std::string CManPage::Description() const {
    std::string out;
    if (!help_.description.empty())
        out += Paragraph(help_.description);
    for (const HelpBlock& block : help_.blocks)
        if (block.kind == Kind::Paragraph && block.heading.empty())
            out += Paragraph(block.lines);
    return out;
}

std::string CManPage::Subcommands() const {
    std::string out;
    for (const SubcommandHelp& sub : subcommands_) {
        out += ".SS " + RoffHeading(sub.path) + "\n";
        if (!sub.help.description.empty())
            out += Paragraph(sub.help.description);
        for (const std::string& usage : sub.help.usage)
            out += ".PP\n" + RoffUsage(UsageLine(program_, usage), 1 + WordCount(sub.path)) + "\n";
        for (const HelpBlock& block : sub.help.blocks) {
            // The footer every subcommand repeats is the program's own.
            const bool repeated =
                std::any_of(help_.blocks.begin(), help_.blocks.end(),
                            [&](const HelpBlock& top) { return SameParagraph(top, block); });
            if (repeated)
                continue;
            if (block.kind == Kind::Paragraph) {
                out += Paragraph(block.lines, block.heading);
                continue;
            }
            if (!block.heading.empty())
                out += ".PP\n\\fI" + RoffText(block.heading) + ":\\fR\n";
            out += Group(block, false);
        }
    }
    return out;
}

std::vector<std::pair<std::string, std::string>> CManPage::Sections() const {
    std::vector<std::pair<std::string, std::string>> sections;
    for (const HelpBlock& block : help_.blocks) {
        if (IsOptionGroup(block)) {
            // "Options" is the section itself; another group is a subsection of it.
            const bool own = block.heading.empty() || Upper(block.heading) == "OPTIONS";
            AddTo(sections, "OPTIONS", Group(block, !own));
        } else if (IsSubcommandGroup(block)) {
            AddTo(sections, "SUBCOMMANDS", Subcommands());
        } else if (block.kind == Kind::Table) {
            AddTo(sections, Upper(block.heading.empty() ? "Notes" : block.heading),
                  Group(block, false));
        } else if (!block.heading.empty()) {
            // The label is the section's name now; the text opens with a capital.
            std::vector<std::string> lines = block.lines;
            lines.front()[0] =
                static_cast<char>(std::toupper(static_cast<unsigned char>(lines.front()[0])));
            AddTo(sections, Upper(block.heading), Paragraph(lines));
        }
    }
    return sections;
}

std::string CManPage::Fill(std::string_view page, const std::map<std::string, std::string>& values,
                           std::string& error) const {
    auto sections = Sections();
    std::vector<std::string> placed;
    std::string out;
    bool synopsis = false;
    bool description = false;
    bool rest = false;

    std::size_t at = 0;
    while (at < page.size()) {
        std::size_t end = page.find('\n', at);
        if (end == std::string_view::npos)
            end = page.size();
        std::string line(page.substr(at, end - at));
        at = end + 1;

        if (line == "@SYNOPSIS@") {
            out += Synopsis();
            synopsis = true;
            continue;
        }
        if (line == "@DESCRIPTION@") {
            out += Description();
            description = true;
            continue;
        }
        if (line == "@SECTIONS@") {
            out += "@SECTIONS@\n"; // filled below, once every .SH of the page is known
            rest = true;
            continue;
        }
        if (!Substitute(line, values, error))
            return {};
        out += line + "\n";
        if (line.rfind(".SH ", 0) == 0) {
            std::string name = line.substr(4);
            name.erase(std::remove(name.begin(), name.end(), '"'), name.end());
            const auto it =
                std::find_if(sections.begin(), sections.end(),
                             [&](const auto& section) { return section.first == name; });
            if (it != sections.end()) {
                out += it->second;
                placed.push_back(name);
            }
        }
    }

    std::string others;
    for (const auto& [name, text] : sections)
        if (std::find(placed.begin(), placed.end(), name) == placed.end())
            others += ".SH " + RoffHeading(name) + "\n" + text;
    if (!synopsis || !description) {
        error = "the page has no @SYNOPSIS@ or no @DESCRIPTION@ line";
        return {};
    }
    if (!rest && !others.empty()) {
        error = "the page has no @SECTIONS@ line for the help's sections";
        return {};
    }
    if (rest) {
        const std::size_t mark = out.find("@SECTIONS@\n");
        out.replace(mark, 11, others);
    }
    return out;
}
