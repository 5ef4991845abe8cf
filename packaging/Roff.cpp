#include "packaging/Roff.h"

#include <vector>

namespace {

std::vector<std::string_view> Words(std::string_view text) {
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t start = text.find_first_not_of(' ', at);
        if (start == std::string_view::npos)
            break;
        std::size_t end = text.find(' ', start);
        if (end == std::string_view::npos)
            end = text.size();
        words.push_back(text.substr(start, end - start));
        at = end;
    }
    return words;
}

std::string Escape(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
    }
    return out;
}

std::string Font(char font, std::string_view text) {
    return text.empty() ? std::string() : "\\f" + std::string(1, font) + Escape(text) + "\\fR";
}

// "--simulate[=MODEL]": the name bold, what it takes italic.
std::string OptionWord(std::string_view word) {
    std::string out;
    std::size_t at = 0;
    while (at <= word.size()) {
        std::size_t comma = word.find(',', at);
        if (comma == std::string_view::npos)
            comma = word.size();
        const std::string_view part = word.substr(at, comma - at);
        at = comma + 1;
        if (part.empty())
            continue;
        const std::size_t argument = part.find_first_of("[=");
        if (!out.empty())
            out += ", ";
        out += Font('B', part.substr(0, argument));
        if (argument != std::string_view::npos)
            out += Font('I', part.substr(argument));
    }
    if (word.back() == ',')
        out += ',';
    return out;
}

} // namespace

std::string RoffText(std::string_view text) {
    std::string out = Escape(text);
    if (!out.empty() && (out[0] == '.' || out[0] == '\''))
        out.insert(0, "\\&");
    return out;
}

std::string RoffEntryName(std::string_view name) {
    std::string out;
    const std::vector<std::string_view> words = Words(name);
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i > 0)
            out += ' ';
        if (words[i][0] == '-')
            out += OptionWord(words[i]);
        else
            out += Font(i == 0 ? 'B' : 'I', words[i]);
    }
    // A tag may not start a line with a control character either.
    if (!out.empty() && (out[0] == '.' || out[0] == '\''))
        out.insert(0, "\\&");
    return out;
}

std::string RoffUsage(std::string_view usage, int boldWords) {
    const std::vector<std::string_view> words = Words(usage);
    std::string bold;
    std::string rest;
    for (std::size_t i = 0; i < words.size(); ++i) {
        std::string& to = static_cast<int>(i) < boldWords ? bold : rest;
        if (!to.empty())
            to += ' ';
        to += words[i];
    }
    std::string out = Font('B', bold);
    if (!rest.empty())
        out += (out.empty() ? "" : " ") + Escape(rest);
    if (!out.empty() && (out[0] == '.' || out[0] == '\''))
        out.insert(0, "\\&");
    return out;
}

std::string RoffHeading(std::string_view text) {
    std::string out = "\"";
    for (const char c : text)
        out += c == '"'    ? std::string("\\(dq")
               : c == '\\' ? "\\e"
               : c == '-'  ? "\\-"
                           : std::string(1, c);
    return out + "\"";
}
