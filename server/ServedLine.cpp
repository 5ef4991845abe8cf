#include "server/ServedLine.h"

#include <string>

#include "comm/CommandLine.h"

namespace {

// The instrument takes its commands in any case, with blanks around them.
std::string Normal(std::string_view line) {
    while (!line.empty() && line.front() == ' ')
        line.remove_prefix(1);
    while (!line.empty() && line.back() == ' ')
        line.remove_suffix(1);
    if (!line.empty() && line.front() == ':')
        line.remove_prefix(1);
    std::string upper(line);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return upper;
}

bool IsCurveTable(const std::string& line) {
    return line.starts_with("CALC?");
}

bool IsPidTable(const std::string& line) {
    return line.starts_with("PIDT") && line.ends_with(":TABLE?");
}

bool IsDatalogTable(const std::string& line) {
    return line == "DLOG:READ?";
}

} // namespace

LineKind ClassifyLine(std::string_view line) {
    const std::string normal = Normal(line);
    if (normal.find(';') == std::string::npos) {
        if (IsCurveTable(normal) || IsPidTable(normal) || IsDatalogTable(normal))
            return LineKind::TableQuery;
        if ((normal.starts_with("CALC ") && normal.find('?') == std::string::npos) ||
            (normal.starts_with("PIDT") && normal.ends_with(":TABLE")))
            return LineKind::TableInput;
    }
    return IsQueryLine(line) ? LineKind::Query : LineKind::Command;
}

bool IsTableEnd(std::string_view line) {
    return line.starts_with(";");
}

int TableQueryLines(std::string_view line) {
    // A curve: name, type, multiplier and unit, then up to 200 entries; a PID
    // table: its title and up to 16 entries.
    const std::string normal = Normal(line);
    if (IsCurveTable(normal))
        return 4 + 200;
    if (IsPidTable(normal))
        return 1 + 16;
    return 0;
}

bool ChangesInstrument(std::string_view line) {
    if (ClassifyLine(line) == LineKind::TableInput)
        return true;
    bool asks = false;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = line.find(';', start);
        std::string_view part =
            line.substr(start, end == std::string_view::npos ? end : end - start);
        while (!part.empty() && (part.front() == ' ' || part.front() == ':'))
            part.remove_prefix(1);
        if (!part.empty()) {
            if (!IsQueryLine(part))
                return true;
            asks = true;
        }
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return !asks;
}
