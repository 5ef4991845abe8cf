#include "curves/CalGenSource.h"

#include "base/DecimalText.h"
#include "base/FileChooser.h"
#include "base/UserInterface.h"
#include "curves/CheckCrvFile.h"
#include "curves/CurveText.h"
#include "curves/FileHandle.h"
#include "curves/LineReader.h"

namespace {

// Reads what the check counted: `headerLines` lines, then `count` entries.
bool ReadCounted(const std::string& fileName, const CrvCheck& check, CalGenSource& source) {
    FileHandle file = OpenInputFile(fileName);
    if (!file)
        return false;
    CLineReader reader(file.get(), CrvLineLimit);
    std::string line;
    bool overLong = false;
    for (int i = 0; i < check.headerLines; ++i) {
        if (reader.Next(line, overLong) != CLineReader::Status::Line)
            return false;
        source.header.push_back(line);
    }
    source.curve.points.reserve(static_cast<std::size_t>(check.count));
    for (int i = 0; i < check.count; ++i) {
        if (reader.Next(line, overLong) != CLineReader::Status::Line || overLong)
            return false;
        const auto tokens = SplitTokens(line, " \t");
        CalPoint point;
        if (tokens.size() < 2 || !ParseNumber(tokens[0], point.value) ||
            !ParseNumber(tokens[1], point.temperature))
            return false;
        source.curve.points.push_back(point);
    }
    return true;
}

} // namespace

SourceRead ReadCalGenSource(IFileChooser& files, IMessageBoxes& boxes, IMessageLog& log,
                            CalGenSource& source) {
    auto fileName = files.ChooseOpenFile("crv", "Curve Files (*.crv)|*.crv|All Files (*.*)|*.*||");
    if (!fileName)
        return SourceRead::Cancelled;
    const CrvCheck check = CheckCrvFile(*fileName, boxes, log);
    if (check.count == 0)
        return SourceRead::Refused;
    source = {};
    source.fileName = *fileName;
    if (!ReadCounted(*fileName, check, source)) {
        // Changed or removed since the check.
        boxes.ShowMessage("File Syntax Error", MessageIcon::Stop);
        log.AppendLog("Syntax error in " + *fileName + " file\n");
        return SourceRead::Refused;
    }
    return SourceRead::Read;
}

std::string FormatCalGenLog(const CalCurve& curve) {
    std::string text;
    for (const CalPoint& point : curve.points)
        text += CFormat("%f     %f\n", static_cast<double>(point.value),
                        static_cast<double>(point.temperature));
    return text + ";\n";
}

std::string FormatCalGenFile(const std::vector<std::string>& header, const CalCurve& curve) {
    std::string text;
    for (const std::string& line : header)
        text += line + '\n';
    for (const CalPoint& point : curve.points)
        text += CFormat("%f %f\n", static_cast<double>(point.value),
                        static_cast<double>(point.temperature));
    return text + ";\n";
}
