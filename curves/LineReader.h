#pragma once

#include <cstddef>
#include <cstdio>
#include <span>
#include <string>

// The longest line of a ".crv" or ".pid" file the readers take whole.
inline constexpr std::size_t CrvLineLimit = 63;

// Reads a text file line by line for the curve readers, each line without its
// line feed and without a carriage return before it; a last line without a
// line feed is a line too. A line longer than the limit keeps its first
// `limit` characters, is marked over-long, and the rest of it is skipped, so
// that the next call starts at the next line.
class CLineReader {
public:
    enum class Status {
        Line,   // a line was read
        End,    // end of the file, no line
        Failed, // the stream failed
    };

    CLineReader(std::FILE* file, std::size_t limit) : file_(file), limit_(limit) {}

    Status Next(std::string& line, bool& overLong);
    // The number of the line read last, counting from 1.
    int LineNumber() const { return lineNumber_; }

private:
    std::FILE* file_;
    std::size_t limit_;
    int lineNumber_ = 0;
};

// One header line of a curve file: its text and whether it was cut.
struct HeaderLine {
    std::string text;
    bool overLong = false;
};

// Reads the header lines that open a curve file; lines missing at the end of
// the file stay empty. False when the stream failed.
bool ReadHeaderLines(CLineReader& reader, std::span<HeaderLine> header);
