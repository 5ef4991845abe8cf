#include "curves/ReadCrvFile.h"

#include <algorithm>

#include "base/DecimalText.h"
#include "base/UserInterface.h"
#include "curves/CurveEntryLine.h"
#include "curves/CurveHeaderField.h"
#include "curves/CurveText.h"
#include "curves/FileHandle.h"
#include "curves/LineReader.h"

namespace {

constexpr int CrvHeaderLines = 4;

std::string WithoutCarriageReturns(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

// The unit code named in a unit line, the first hit deciding.
bool UnitOfText(const std::string& text, UnitCode& unit) {
    static constexpr struct {
        const char* word;
        UnitCode unit;
    } Words[] = {{"MVOLTS", UnitMilliVolts},
                 {"VOLTS", UnitVolts},
                 {"LOGOHM", UnitLogOhms},
                 {"OHMS", UnitOhms}};
    std::string upper = ToUpperAscii(text);
    for (const auto& w : Words)
        if (upper.find(w.word) != std::string::npos) {
            unit = w.unit;
            return true;
        }
    return false;
}

} // namespace

CurveReadResult ReadCrvFile(const std::string& fileName, SensorCurve& result, IMessageLog& log) {
    if (fileName.empty())
        return CurveRead::NoFileName;
    FileHandle file = OpenInputFile(fileName, log);
    if (!file)
        return CurveRead::CannotOpen;
    CLineReader reader(file.get(), CrvLineLimit);
    std::string line;
    bool overLong = false;

    HeaderLine header[CrvHeaderLines];
    if (!ReadHeaderLines(reader, header))
        return CurveRead::StreamFailed;
    for (auto& h : header)
        h.text = WithoutCarriageReturns(std::move(h.text));

    SensorCurve curve;
    CurveReadResult status = CurveRead::Success;
    curve.name = header[0].text;
    curve.nameError = header[0].overLong;
    curve.type = header[1].text;
    curve.typeError = header[1].overLong;
    curve.multiplierText = header[2].text;
    if (header[2].overLong || !ParseLeadingNumber(curve.multiplierText, curve.multiplier)) {
        curve.multiplierError = true;
        curve.multiplier = 1.0f;
    }
    curve.unitText = header[3].text;
    if (header[3].overLong || !UnitOfText(curve.unitText, curve.unit)) {
        curve.unitError = true;
        curve.unit = UnitVolts;
    }
    CheckHeaderField(curve.name, 1, fileName, log, curve.nameError);
    CheckHeaderField(curve.type, 2, fileName, log, curve.typeError);
    CheckHeaderField(curve.multiplierText, 3, fileName, log, curve.multiplierError);
    CheckHeaderField(curve.unitText, 4, fileName, log, curve.unitError);
    if (curve.nameError || curve.typeError || curve.multiplierError || curve.unitError)
        status = CurveRead::FormatError;

    for (;;) {
        CLineReader::Status read = reader.Next(line, overLong);
        if (read == CLineReader::Status::Failed)
            return CurveRead::StreamFailed;
        if (read == CLineReader::Status::End)
            break;
        if (!line.empty() && line.front() == ';')
            continue;
        const CurveEntryLine added = AddCurveEntryLine(curve, line, overLong, 0, fileName, log);
        if (added != CurveEntryLine::Read)
            status = CurveRead::FormatError;
        if (added == CurveEntryLine::TableFull)
            break;
    }

    if (status == CurveRead::Success)
        SortByValue(curve);
    result = curve;
    return status;
}
