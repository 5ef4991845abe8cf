#include "curves/ReadColonCurveFile.h"

#include "base/DecimalText.h"
#include "base/UserInterface.h"
#include "curves/CurveEntryLine.h"
#include "curves/CurveHeaderField.h"
#include "curves/CurveText.h"
#include "curves/FileHandle.h"
#include "curves/LineReader.h"
#include "curves/SensorModelTable.h"

namespace {

constexpr std::size_t ColonLineLimit = 254;
constexpr int ColonHeaderLines = 6;
constexpr int SkippedLines = 3;

// The text after the first ":" (or the whole line), without the blanks and
// tabs around it and cut at the first carriage return. Published files pad
// their values with blanks and tabs.
std::string ValueOf(const std::string& line) {
    std::string_view value(line);
    if (auto colon = value.find(':'); colon != std::string_view::npos)
        value.remove_prefix(colon + 1);
    value = value.substr(0, value.find('\r'));
    auto first = value.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    auto last = value.find_last_not_of(" \t");
    return std::string(value.substr(first, last - first + 1));
}

// The multiplier of a temperature coefficient line. The line holds a code,
// "1 (Negative)" or "2 (Positive)": a positive coefficient is a multiplier of
// 1, not 2; a negative one is the negated number, as it always was.
bool MultiplierOfCoefficient(const std::string& text, float& multiplier) {
    if (ContainsIgnoringCase(text, "Positive")) {
        multiplier = 1.0f;
        return true;
    }
    float number = 0.0f;
    if (!ParseLeadingNumber(text, number))
        return false;
    multiplier = ContainsIgnoringCase(text, "Negative") ? -number : number;
    return true;
}

} // namespace

CurveReadResult ReadColonCurveFile(const std::string& fileName, SensorCurve& result,
                                   IMessageLog& log) {
    if (fileName.empty())
        return CurveRead::NoFileName;
    FileHandle file = OpenInputFile(fileName, log);
    if (!file)
        return CurveRead::CannotOpen;
    CLineReader reader(file.get(), ColonLineLimit);
    std::string line;
    bool overLong = false;

    HeaderLine header[ColonHeaderLines];
    if (!ReadHeaderLines(reader, header))
        return CurveRead::StreamFailed;
    for (auto& h : header)
        h.text = ValueOf(h.text);

    SensorCurve curve;
    const HeaderLine& model = header[0];
    const char* type = model.overLong ? nullptr : SensorTypeOfModel(ToUpperAscii(model.text));
    curve.type = type ? type : model.text;
    curve.typeError = type == nullptr;

    curve.name = header[1].text;
    curve.nameError = header[1].overLong;

    curve.unitText = header[2].text;
    long code = 0;
    if (!header[2].overLong && ParseLeadingInteger(curve.unitText, code) && code >= 0 && code <= 4)
        curve.unit = static_cast<UnitCode>(code);
    else
        curve.unitError = true;

    curve.multiplierText = header[4].text;
    curve.multiplierError =
        header[4].overLong || !MultiplierOfCoefficient(curve.multiplierText, curve.multiplier);

    // The model line matters only where it became the type. The data format
    // and the coefficient are read as numbers, never sent as they stand, and
    // published files pad them with tabs.
    CheckHeaderField(curve.type, 1, fileName, log, curve.typeError);
    CheckHeaderField(curve.name, 2, fileName, log, curve.nameError);
    CheckHeaderField(WithoutTabs(curve.unitText), 3, fileName, log, curve.unitError);
    CheckHeaderField(WithoutTabs(curve.multiplierText), 5, fileName, log, curve.multiplierError);

    long expected = 0;
    if (header[5].overLong || !ParseLeadingInteger(header[5].text, expected) || expected < 0)
        return CurveRead::FormatError;

    CurveReadResult status =
        curve.typeError || curve.nameError || curve.unitError || curve.multiplierError
            ? CurveRead::FormatError
            : CurveRead::Success;

    for (int i = 0; i < SkippedLines; ++i) {
        CLineReader::Status read = reader.Next(line, overLong);
        if (read == CLineReader::Status::Failed)
            return CurveRead::StreamFailed;
        if (read == CLineReader::Status::End)
            break;
    }

    while (expected == 0 || curve.count < expected) {
        CLineReader::Status read = reader.Next(line, overLong);
        if (read == CLineReader::Status::Failed)
            return CurveRead::StreamFailed;
        if (read == CLineReader::Status::End)
            break;
        const CurveEntryLine added = AddCurveEntryLine(curve, line, overLong, 1, fileName, log);
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
