#include "packaging/HelpText.h"

#include <algorithm>
#include <cctype>

namespace {

std::size_t Indent(std::string_view line) {
    const std::size_t first = line.find_first_not_of(' ');
    return first == std::string_view::npos ? line.size() : first;
}

bool IsBlank(std::string_view line) {
    return Indent(line) == line.size();
}

std::string Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

// Runs of spaces made one, ends trimmed.
std::string Squeeze(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == ' ' && (out.empty() || out.back() == ' '))
            continue;
        out += c;
    }
    if (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::string line;
    for (const char c : text) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else if (c != '\r') {
            line += c == '\t' ? ' ' : c;
        }
    }
    if (!line.empty())
        lines.push_back(line);
    for (std::string& l : lines)
        l.erase(l.find_last_not_of(' ') + 1);
    return lines;
}

void AppendWords(std::string& to, std::string_view words) {
    const std::string more = Squeeze(words);
    if (more.empty())
        return;
    if (!to.empty())
        to += ' ';
    to += more;
}

// "Name: text" with a name of one to three words of letters, the first capital.
bool SplitLabel(const std::string& line, std::string& label, std::string& rest) {
    const std::size_t colon = line.find(": ");
    if (colon == std::string::npos || colon == 0 || colon > 30 ||
        !std::isupper(static_cast<unsigned char>(line[0])))
        return false;
    int words = 1;
    for (std::size_t i = 0; i < colon; ++i) {
        const char c = line[i];
        if (c == ' ' && i > 0 && line[i - 1] != ' ')
            ++words;
        else if (!std::isalpha(static_cast<unsigned char>(c)))
            return false;
    }
    if (words > 3)
        return false;
    label = line.substr(0, colon);
    rest = Trim(std::string_view(line).substr(colon + 2));
    return true;
}

// "Options (at least one of ...)" gives the heading "Options" and the remark.
void SetHeading(std::string text, HelpBlock& block) {
    const std::size_t open = text.find(" (");
    if (open != std::string::npos && text.back() == ')') {
        block.heading = text.substr(0, open);
        block.remark = text.substr(open + 2, text.size() - open - 3);
    } else {
        block.heading = std::move(text);
    }
}

bool IsListHeading(const std::string& heading) {
    const std::string lower = Lower(heading);
    return lower.find("option") != std::string::npos ||
           lower.find("positional") != std::string::npos ||
           lower.find("subcommand") != std::string::npos;
}

HelpEntry SplitEntry(std::string_view body) {
    const std::size_t gap = body.find("  ");
    if (gap == std::string_view::npos)
        return {Trim(body), {}};
    return {Trim(body.substr(0, gap)), Squeeze(body.substr(gap))};
}

// The indented lines of a group (and the column-0 paragraph that may close it).
void ReadGroupBody(const std::vector<std::string>& lines, std::size_t from, HelpBlock& block) {
    std::size_t entryIndent = std::string::npos;
    for (std::size_t i = from; i < lines.size() && Indent(lines[i]) > 0; ++i)
        entryIndent = std::min(entryIndent, Indent(lines[i]));

    bool closing = false;
    for (std::size_t i = from; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        const std::size_t indent = Indent(line);
        if (closing || indent == 0) {
            closing = true;
            block.after.push_back(line);
            continue;
        }
        block.lines.push_back(line);
        if (indent == entryIndent || block.entries.empty())
            block.entries.push_back(SplitEntry(std::string_view(line).substr(indent)));
        else
            AppendWords(block.entries.back().description, line);
    }

    const bool allOptions =
        !block.entries.empty() &&
        std::all_of(block.entries.begin(), block.entries.end(),
                    [](const HelpEntry& e) { return !e.name.empty() && e.name[0] == '-'; });
    block.kind =
        IsListHeading(block.heading) || allOptions ? HelpBlock::Kind::List : HelpBlock::Kind::Table;
}

HelpBlock ReadBlock(const std::vector<std::string>& lines) {
    HelpBlock block;
    if (Indent(lines.front()) > 0) {
        ReadGroupBody(lines, 0, block);
        return block;
    }
    // A heading: column-0 lines up to one that ends with ':' and goes on indented.
    for (std::size_t k = 0; k < lines.size() && Indent(lines[k]) == 0; ++k) {
        if (lines[k].back() != ':' || (k + 1 < lines.size() && Indent(lines[k + 1]) == 0))
            continue;
        std::string heading;
        for (std::size_t h = 0; h <= k; ++h)
            AppendWords(heading, lines[h]);
        heading.pop_back();
        SetHeading(heading, block);
        ReadGroupBody(lines, k + 1, block);
        return block;
    }
    block.kind = HelpBlock::Kind::Paragraph;
    block.lines = lines;
    std::string label;
    std::string rest;
    if (SplitLabel(lines.front(), label, rest)) {
        block.heading = label;
        block.lines.front() = rest;
    }
    return block;
}

} // namespace

HelpText ParseHelpText(std::string_view text) {
    const std::vector<std::string> lines = SplitLines(text);
    HelpText help;
    std::size_t i = 0;
    const auto usageAt = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
        return line.rfind("Usage:", 0) == 0;
    });
    if (usageAt != lines.end()) {
        for (; lines.begin() + static_cast<std::ptrdiff_t>(i) != usageAt; ++i)
            if (!IsBlank(lines[i]))
                help.description.push_back(Trim(lines[i]));
        while (i < lines.size() && lines[i].rfind("Usage:", 0) == 0) {
            std::string usage;
            AppendWords(usage, std::string_view(lines[i]).substr(6));
            for (++i; i < lines.size() && !IsBlank(lines[i]) && Indent(lines[i]) > 0; ++i)
                AppendWords(usage, lines[i]);
            help.usage.push_back(usage);
        }
    }
    while (i < lines.size()) {
        if (IsBlank(lines[i])) {
            ++i;
            continue;
        }
        std::vector<std::string> chunk;
        for (; i < lines.size() && !IsBlank(lines[i]); ++i)
            chunk.push_back(lines[i]);
        help.blocks.push_back(ReadBlock(chunk));
    }
    return help;
}

bool IsSubcommandGroup(const HelpBlock& block) {
    return block.kind == HelpBlock::Kind::List &&
           Lower(block.heading).find("subcommand") != std::string::npos;
}

std::vector<std::string> SubcommandNames(const HelpText& help) {
    std::vector<std::string> names;
    for (const HelpBlock& block : help.blocks) {
        if (!IsSubcommandGroup(block))
            continue;
        for (const HelpEntry& entry : block.entries)
            names.push_back(entry.name.substr(0, entry.name.find(' ')));
    }
    return names;
}
