#include "curves/PidTableFile.h"

#include <cerrno>
#include <cstdio>

#include "base/ControlCharacter.h"
#include "base/DecimalText.h"
#include "curves/CurveText.h"
#include "curves/FileHandle.h"
#include "curves/LineReader.h"

namespace {

// Lines shorter than this between the entries are blank lines.
constexpr std::size_t MinEntryLength = 3;

} // namespace

bool IsPidEntry(std::string_view line) {
    const std::vector<std::string_view> fields = SplitTokens(line, " \t");
    if (fields.size() < 5)
        return false;
    float numbers[4];
    for (int i = 0; i < 4; ++i)
        if (!ParseNumber(fields[static_cast<std::size_t>(i)], numbers[i]))
            return false;
    return numbers[0] > 0.0f && numbers[1] >= 0.0f && numbers[2] > 0.0f && numbers[3] >= 0.0f;
}

PidTableFile CheckPidFile(const std::string& fileName) {
    PidTableFile file;
    FileHandle stream = fileName.empty() ? nullptr : OpenInputFile(fileName);
    if (!stream) {
        // OpenRegularFile's answer for whatever is not a regular file.
        if (!fileName.empty() && errno == EINVAL)
            file.reason = "not a regular file (a device, a pipe or a folder)";
        return file; // ReadError
    }
    CLineReader reader(stream.get(), PidTableFile::LineLimit);
    std::vector<std::string> lines;
    int entries = 0;
    for (;;) {
        std::string line;
        bool overLong = false;
        if (reader.Next(line, overLong) != CLineReader::Status::Line)
            return file; // ReadError: no ";" line before the end
        if (!line.empty() && line.front() == ';')
            break;
        // A line cut at the limit would send something other than the file holds.
        if (overLong) {
            file.check = PidTableFile::Check::SyntaxError;
            return file;
        }
        if (reader.LineNumber() == 1) {
            if (auto code = ControlCharacterIn(line)) {
                file.check = PidTableFile::Check::SyntaxError;
                file.reason = "line 1 holds the control character " + *code;
                return file;
            }
            lines.push_back(std::move(line));
            continue;
        }
        if (line.size() < MinEntryLength)
            continue;
        // An entry's tabs separate its fields.
        if (auto code = ControlCharacterIn(WithoutTabs(line))) {
            file.check = PidTableFile::Check::SyntaxError;
            file.reason = "line " + std::to_string(reader.LineNumber()) +
                          " holds the control character " + *code;
            return file;
        }
        if (!IsPidEntry(line)) {
            file.check = PidTableFile::Check::SyntaxError;
            return file;
        }
        // Counted to the end, so that a file without ";" is still a read error.
        if (++entries <= PidTableFile::MaxEntries)
            lines.push_back(std::move(line));
    }
    file.entries = entries;
    if (entries == 0)
        file.check = PidTableFile::Check::NoEntry;
    else if (entries > PidTableFile::MaxEntries)
        file.check = PidTableFile::Check::TooManyEntries;
    else {
        file.check = PidTableFile::Check::Ok;
        file.lines = std::move(lines);
    }
    return file;
}
