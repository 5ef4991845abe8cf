#pragma once

#include <string>
#include <string_view>
#include <vector>

// The ".pid" file: a first line of free text (the table's title, sent as it
// is), then at most MaxEntries entries of four numbers and a word ("%f %f %f
// %f %s"; the first and third number above 0, the second and fourth 0 or
// more), blank lines (under 3 characters) between them ignored, and a line
// that begins with ";" to end the table. Lines hold at most LineLimit
// characters.
struct PidTableFile {
    static constexpr int MaxEntries = 16;
    static constexpr std::size_t LineLimit = 63;

    enum class Check {
        Ok,
        ReadError, // the file cannot be read, or ends (or fails) before its ";" line
        SyntaxError,
        NoEntry,
        TooManyEntries,
    };

    Check check = Check::ReadError;
    // When Ok: the first line, then the entry lines, as read; what is sent.
    std::vector<std::string> lines;
    int entries = 0;
};

// The check pass of the PID table download over the whole file, up to its
// ";" line. The file is read once: what passed is what is sent.
PidTableFile CheckPidFile(const std::string& fileName);

// One entry line: the five fields, each number within its bounds.
bool IsPidEntry(std::string_view line);
