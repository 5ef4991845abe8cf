#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// One node of a command header: "INP A" is the keyword "INP" with the suffix "A".
struct SimHeaderNode {
    std::string keyword;
    std::string suffix; // empty when the node has none
};

// One command of a line, its header resolved against the line's current path.
struct SimCommand {
    std::vector<SimHeaderNode> header;
    bool query = false;
    std::string argument; // trimmed; empty when none was given
    int error = 0;        // nonzero (a SimError) when the command could not be parsed
};

// Splits a command line into commands and resolves their headers.
//
// Commands are separated by ";" (outside double quotes), and a query header
// followed at once by a letter ("HTRR?NAME?") also ends its command, because
// the utility sends its output monitor queries that way. A header without a
// leading ":" is relative to the current path, which after each command is its
// header without the last node, so "INP A:TEMP?;UNIT?" asks input A twice. A
// leading ":" starts again from the root; common commands ("*IDN?") neither use
// nor move the path. Every line starts at the root.
class CSimCommandParser {
public:
    // Tells which keywords take a suffix ("INP" in "INP A:TEMP?"); without it a
    // name argument such as "NAME Stage:1" could not be told from a path.
    using SuffixRule = std::function<bool(std::string_view keyword)>;

    explicit CSimCommandParser(SuffixRule takesSuffix) : takesSuffix_(std::move(takesSuffix)) {}

    std::vector<SimCommand> Parse(std::string_view line) const;

private:
    SuffixRule takesSuffix_;
};
