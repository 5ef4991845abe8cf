#pragma once

#include <string>
#include <string_view>
#include <vector>

// The ".pid" file: a first line of free text (the table's title, sent as it
// is), then at most MaxEntries entries of four numbers and a word ("%f %f %f
// %f %s"; the first and third number above 0, the second and fourth 0 or
// more), blank lines (under 3 characters) between them ignored, and a line
// that begins with ";" to end the table. Lines hold at most LineLimit
// characters. The title and the entries go to the instrument as they stand,
// so they hold no control character (a tab between the fields of an entry is
// white space like a blank).
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
    // What the check found beyond its outcome, for the log: "line 1 holds the
    // control character 0x1B", "not a regular file (a device, a pipe or a folder)".
    std::string reason;
};

// The check pass of the PID table download over the whole file, up to its
// ";" line. The file is read once: what passed is what is sent. Only a
// regular file is read; anything else is a ReadError.
PidTableFile CheckPidFile(const std::string& fileName);

// One entry line: the five fields, each number within its bounds.
bool IsPidEntry(std::string_view line);
