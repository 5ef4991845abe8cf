#include "curves/WriteCrvFile.h"

#include <algorithm>
#include <filesystem>

#include "base/AtomicFile.h"
#include "base/DecimalText.h"
#include "base/FileChooser.h"
#include "base/ProposedFileName.h"
#include "base/UserInterface.h"

namespace {

constexpr std::size_t NameLength = 15;
constexpr int MultiplierDigits = 8;

std::string HeaderText(const std::string& text) {
    return text.substr(0, text.find_first_of("\r\n"));
}

} // namespace

std::string FormatCrvFile(const SensorCurve& curve) {
    std::string text = HeaderText(curve.name).substr(0, NameLength) + '\n';
    text += HeaderText(curve.type) + '\n';
    text += FormatNumber(curve.multiplier, MultiplierDigits) + '\n';
    text += HeaderText(curve.unitText) + '\n';
    const int count = std::clamp(curve.count, 0, SensorCurve::MaxEntries);
    for (int i = 0; i < count; ++i) {
        const CurveEntry& entry = curve.entries[i];
        text += FormatNumber(entry.value, CurveEntryDigits) + "  " +
                FormatNumber(entry.temperature, CurveEntryDigits) + '\n';
    }
    text += ";\n";
    return text;
}

std::string CrvCopyName(const SensorCurve& curve, const std::string& source) {
    std::string name = ProposedFileName(curve.name, "crv");
    if (name.empty())
        name = ProposedFileName(std::filesystem::path(source).stem().string(), "crv");
    return name;
}

CrvWriteResult WriteCrvFile(const SensorCurve& curve, IFileChooser& files, IMessageBoxes& boxes,
                            const std::string& source, std::string* error) {
    auto fileName = files.ChooseSaveFile("crv", "Curve Files (*.crv)|*.crv||");
    if (!fileName)
        return CrvWriteResult::Cancelled;
    if (!WriteFileAtomically(*fileName, FormatCrvFile(curve), error, source)) {
        boxes.ShowMessage("Failed to create file", MessageIcon::Warning);
        return CrvWriteResult::Failed;
    }
    return CrvWriteResult::Written;
}
