#include "comm/ReplyShapes.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "comm/CommandLine.h"

namespace {

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> fields;
    for (auto at = text.find(separator); at != std::string_view::npos; at = text.find(separator)) {
        fields.push_back(text.substr(0, at));
        text.remove_prefix(at + 1);
    }
    fields.push_back(text);
    return fields;
}

std::string Shown(std::string_view text) {
    std::string shown;
    for (char c : text.substr(0, 60)) {
        const auto u = static_cast<unsigned char>(c);
        shown += u < 0x20 || u == 0x7F ? '?' : c;
    }
    return text.size() > 60 ? shown + "..." : shown;
}

std::string ReplyTo(std::string_view command) {
    return "reply to \"" + std::string(command) + "\"";
}

} // namespace

std::optional<std::string> ControlCharacter(std::string_view text) {
    for (unsigned char c : text)
        if ((c < 0x20 && c != '\r' && c != '\n' && c != '\t') || c == 0x7F) {
            char code[8];
            std::snprintf(code, sizeof code, "0x%02X", c);
            return std::string(code);
        }
    return std::nullopt;
}

int QueryCount(std::string_view command) {
    return static_cast<int>(std::count(command.begin(), command.end(), '?'));
}

std::string CheckValueList(std::string_view command, std::string_view reply) {
    const auto fields = Split(WithoutLineEnd(reply), ';');
    const int asked = QueryCount(command);
    if (static_cast<int>(fields.size()) != asked)
        return ReplyTo(command) + " had " + std::to_string(fields.size()) + " values, " +
               std::to_string(asked) + " were asked for: \"" + Shown(WithoutLineEnd(reply)) + "\"";
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (!FieldNumber(fields[i]))
            return ReplyTo(command) + ": value " + std::to_string(i + 1) + " is not a number: \"" +
                   Shown(fields[i]) + "\"";
    return {};
}

std::optional<int> ParseCount(std::string_view reply) {
    const std::string_view text = Trimmed(WithoutLineEnd(reply));
    int value = -1;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || value < 0)
        return std::nullopt;
    return value;
}

std::optional<std::string> ParseState(std::string_view reply) {
    std::string state(Trimmed(WithoutLineEnd(reply)));
    std::transform(state.begin(), state.end(), state.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (state == "on" || state == "1")
        return std::string("on");
    if (state == "off" || state == "0")
        return std::string("off");
    return std::nullopt;
}

bool IsInstrumentUnit(std::string_view unit) {
    static constexpr std::array<std::string_view, 7> Units = {"K", "C", "F", "S", "V", "mV", "Ohm"};
    unit = Trimmed(unit);
    return std::find(Units.begin(), Units.end(), unit) != Units.end();
}

std::optional<std::vector<std::string>> CheckTable(std::string_view command, std::string_view table,
                                                   int announced, const TableShape& shape,
                                                   std::string& why) {
    const std::string of = "the table of \"" + std::string(command) + "\"";
    if (auto control = ControlCharacter(table)) {
        why = of + " holds the control character " + *control;
        return std::nullopt;
    }
    std::vector<std::string> lines;
    for (std::string_view line : Split(table, '\n')) {
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.emplace_back(line);
    }
    // The line end of the last line, and the ";" line that ended the table.
    if (!lines.empty() && lines.back().empty())
        lines.pop_back();
    if (!lines.empty() && lines.back().starts_with(";"))
        lines.pop_back();
    const int entries = static_cast<int>(lines.size()) - shape.headerLines;
    if (entries != announced) {
        why = of + " had " + std::to_string(std::max(0, entries)) +
              (entries == 1 ? " entry" : " entries") + ", the instrument announced " +
              std::to_string(announced);
        return std::nullopt;
    }
    for (int i = 0; i < entries; ++i) {
        const std::string& line =
            lines[static_cast<std::size_t>(shape.headerLines) + static_cast<std::size_t>(i)];
        if (!shape.isEntry(line)) {
            why = of + ": entry " + std::to_string(i + 1) + " is not " + shape.entryName + ": \"" +
                  Shown(line) + "\"";
            return std::nullopt;
        }
    }
    return lines;
}
