#include "curves/CurveEntryLine.h"

#include "base/DecimalText.h"
#include "base/UserInterface.h"
#include "curves/CurveText.h"

CurveEntryLine AddCurveEntryLine(SensorCurve& curve, const std::string& line, bool overLong,
                                 std::size_t firstField, const std::string& fileName,
                                 IMessageLog& log) {
    if (curve.count == SensorCurve::MaxEntries) {
        log.AppendLog("More than " + std::to_string(SensorCurve::MaxEntries) +
                      " curve entries in " + fileName + " file\n");
        return CurveEntryLine::TableFull;
    }
    CurveEntry& entry = curve.entries[curve.count++];
    entry.line = line;
    auto tokens = SplitTokens(line, " ,\t");
    entry.error = overLong || tokens.size() < firstField + 2 ||
                  !ParseNumber(tokens[firstField], entry.value) ||
                  !ParseNumber(tokens[firstField + 1], entry.temperature);
    return entry.error ? CurveEntryLine::Marked : CurveEntryLine::Read;
}
