#include "curves/SaveStandardCurve.h"

#include "base/AtomicFile.h"
#include "base/DecimalText.h"
#include "base/FileChooser.h"
#include "base/ProposedFileName.h"
#include "base/UserInterface.h"
#include "curves/Write340File.h"
#include "curves/WriteCrvFile.h"

namespace {

bool Ends340(const std::string& fileName) {
    return fileName.size() >= 4 && fileName.compare(fileName.size() - 4, 4, ".340") == 0;
}

} // namespace

std::string StandardCurveFileText(const StandardCurve& standard, const std::string& fileName) {
    return Ends340(fileName) ? Format340File(standard.curve, standard.model)
                             : FormatCrvFile(standard.curve);
}

StandardSaveResult SaveStandardCurve(const StandardCurve& standard, IFileChooser& files,
                                     IMessageBoxes& boxes, IMessageLog& log) {
    const SensorCurve& curve = standard.curve;
    std::string listing = StandardCurveSummary(standard);
    for (int i = 0; i < curve.count; ++i) {
        const CurveEntry& entry = curve.entries[static_cast<std::size_t>(i)];
        listing +=
            FormatDecimal(entry.value, 6) + "     " + FormatDecimal(entry.temperature, 6) + "\n";
    }
    log.AppendLog(listing + ";\n");

    files.ProposeSaveName(ProposedFileName(curve.name, "crv"));
    const auto fileName =
        files.ChooseSaveFile("crv", "Curve Files (*.crv)|*.crv|Curve Files (.340)|*.340||");
    if (!fileName)
        return StandardSaveResult::Cancelled;
    std::string why;
    if (!WriteFileAtomically(*fileName, StandardCurveFileText(standard, *fileName), &why)) {
        boxes.ShowMessage("Failed to create file", MessageIcon::Warning);
        log.AppendLog(why + "\n");
        return StandardSaveResult::Failed;
    }
    log.AppendLog("Standard curve saved to " + *fileName + "\n");
    return StandardSaveResult::Saved;
}
