#include "curves/ConvertCurve.h"

#include "base/FileChooser.h"
#include "base/UserInterface.h"
#include "curves/CurveHeaderDialog.h"
#include "curves/ReadColonCurveFile.h"
#include "curves/WriteCrvFile.h"

namespace {

constexpr int MinPoints = 4;

void Report(IMessageBoxes& boxes, IMessageLog& log, const char* text) {
    boxes.ShowMessage(text, MessageIcon::Information);
    log.AppendLog(std::string(text) + "\r\n");
}

} // namespace

ConvertOutcome ConvertCurve(IFileChooser& files, ICurveHeaderDialog& headerDialog,
                            IMessageBoxes& boxes, IMessageLog& log) {
    auto fileName = files.ChooseOpenFile(".340", "Curve Files (.340)|*.340| All Files (*.*)|*.*||");
    if (!fileName)
        return ConvertOutcome::Cancelled;

    SensorCurve curve;
    if (ReadColonCurveFile(*fileName, curve, log) != CurveRead::Success) {
        boxes.ShowMessage("Failed to read file", MessageIcon::Stop);
        return ConvertOutcome::ReadFailed;
    }
    if (curve.count < MinPoints) {
        boxes.ShowMessage("Not enough points to form a curve", MessageIcon::Stop);
        log.AppendLog("Not enough points in " + *fileName + " file\n");
        return ConvertOutcome::TooFewPoints;
    }

    CurveHeader header;
    header.saveAsCrv = true;
    if (!ReviewCurveHeader(headerDialog, *fileName, curve, header)) {
        Report(boxes, log, "Aborted Sensor Curve conversion");
        return ConvertOutcome::Aborted;
    }

    if (!header.saveAsCrv) {
        Report(boxes, log, "Converted Sensor Curve not saved");
        return ConvertOutcome::NotSaved;
    }
    files.ProposeSaveName(CrvCopyName(curve, *fileName));
    std::string why;
    switch (WriteCrvFile(curve, files, boxes, *fileName, &why)) {
    case CrvWriteResult::Written:
        Report(boxes, log, "Converted Sensor Curve saved");
        return ConvertOutcome::Saved;
    case CrvWriteResult::Cancelled:
        Report(boxes, log, "Converted Sensor Curve not saved");
        return ConvertOutcome::NotSaved;
    case CrvWriteResult::Failed:
        // The box has a fixed text; the log tells which file and why.
        log.AppendLog(why + "\r\n");
        break;
    }
    return ConvertOutcome::WriteFailed;
}
