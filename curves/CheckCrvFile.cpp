#include "curves/CheckCrvFile.h"

#include "base/DecimalText.h"
#include "base/UserInterface.h"
#include "curves/CurveText.h"
#include "curves/FileHandle.h"
#include "curves/LineReader.h"
#include "curves/SensorCurve.h"

namespace {

constexpr int FirstEntryLineMin = 3;
constexpr int FirstEntryLineMax = 5;
constexpr int MinEntries = 3;

enum class LineKind { Text, Entry, BadEntry };

// Two numbers at the start of the line, separated by blanks or tabs; an entry
// is good when its temperature is not below 0.
LineKind KindOf(const std::string& line) {
    auto tokens = SplitTokens(line, " \t");
    float value = 0.0f;
    float temperature = 0.0f;
    if (tokens.size() < 2 || !ParseNumber(tokens[0], value) || !ParseNumber(tokens[1], temperature))
        return LineKind::Text;
    return temperature >= 0.0f ? LineKind::Entry : LineKind::BadEntry;
}

class CChecker {
public:
    CChecker(const std::string& fileName, IMessageBoxes& boxes, IMessageLog& log)
        : fileName_(fileName), boxes_(boxes), log_(log) {}

    CrvCheck Run();

private:
    CrvCheck Refuse(const std::string& box, const std::string& logText) {
        boxes_.ShowMessage(box, MessageIcon::Stop);
        log_.AppendLog(logText);
        return {};
    }
    CrvCheck SyntaxError() {
        return Refuse("File Syntax Error", "Syntax error in " + fileName_ + " file\n");
    }
    CrvCheck Unreadable() {
        log_.AppendLog("Cannot open input file\n");
        return {};
    }

    const std::string& fileName_;
    IMessageBoxes& boxes_;
    IMessageLog& log_;
};

CrvCheck CChecker::Run() {
    FileHandle file = OpenInputFile(fileName_, log_);
    if (!file)
        return Unreadable();
    CLineReader reader(file.get(), CrvLineLimit);
    std::string line;
    bool overLong = false;

    int firstEntry = 0;
    while (firstEntry == 0) {
        CLineReader::Status status = reader.Next(line, overLong);
        if (status == CLineReader::Status::Failed)
            return Unreadable();
        if (status == CLineReader::Status::End || overLong)
            return SyntaxError();
        LineKind kind = KindOf(line);
        if (kind == LineKind::BadEntry ||
            (kind == LineKind::Entry && reader.LineNumber() < FirstEntryLineMin))
            return SyntaxError();
        if (kind == LineKind::Entry)
            firstEntry = reader.LineNumber();
        else if (reader.LineNumber() >= FirstEntryLineMax)
            return SyntaxError();
    }

    // Counted up to one beyond the limit: that is all the verdict needs.
    int count = 1;
    for (;;) {
        CLineReader::Status status = reader.Next(line, overLong);
        if (status == CLineReader::Status::Failed)
            return Unreadable();
        if (status == CLineReader::Status::End || (!line.empty() && line.front() == ';'))
            break;
        if (overLong || KindOf(line) != LineKind::Entry)
            return SyntaxError();
        if (count <= SensorCurve::MaxEntries)
            ++count;
    }

    const std::string limit = std::to_string(SensorCurve::MaxEntries);
    if (count > SensorCurve::MaxEntries)
        return Refuse("More than " + limit + " entries",
                      "More than " + limit + " curve entries in " + fileName_ + " file\n");
    if (count < MinEntries)
        return Refuse("Not enough curve entry",
                      "Not enough curve entry in " + fileName_ + " file\n");
    return {count, firstEntry - 1};
}

} // namespace

CrvCheck CheckCrvFile(const std::string& fileName, IMessageBoxes& boxes, IMessageLog& log) {
    return CChecker(fileName, boxes, log).Run();
}
