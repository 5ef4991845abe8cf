#include "curves/CalGen.h"

#include <array>
#include <cmath>
#include <filesystem>

#include "base/AbsolutePath.h"
#include "base/AtomicFile.h"
#include "base/DecimalText.h"
#include "base/FileChooser.h"
#include "base/ProposedFileName.h"
#include "base/UserInterface.h"
#include "curves/CalGenSource.h"
#include "curves/CorrectCurve.h"
#include "curves/InterpolateCurve.h"
#include "curves/ReferencePointDialog.h"

namespace {

constexpr float Split = 30.0f;
constexpr float MaxDifference = 0.05f;

// A correction needs its anchors 10 K apart, one of them 30 K for all but the
// 77 K to 300 K correction; the box names the rule that the entered point
// broke, and the user is asked again.
constexpr char Point300KTooLow[] = "The 300K reference point must be at or above 40K.";
constexpr char Point4K2TooHigh[] = "The 4.2K reference point must be at or below 20K.";
constexpr char Point77KTooLow[] = "The 77K reference point must be at or above 40K.";
constexpr char Points77And300TooClose[] =
    "The 77K and 300K reference points must be at least 10 K apart.";

// A new curve and the summary it is logged with; `doubt`, when not empty,
// is said in the log and asked about before the curve is offered for saving.
struct Generated {
    CalCurve curve;
    std::string summary;
    std::string doubt = {};
};

// The platinum line through (low, high) crosses 0 ohm somewhere: a resistance
// at or below it is no sensor reading. Says how many points of `curve` came
// out there and on which side of the crossing the line does not hold; "" when
// none did.
std::string NonpositiveDoubt(const CalCurve& curve, float slope, float offset) {
    int count = 0;
    for (const CalPoint& point : curve.points)
        if (point.value <= 0.0f)
            ++count;
    if (count == 0)
        return {};
    std::string where = "at any temperature";
    if (slope != 0.0f)
        where = CFormat("%s %.2fK", slope > 0.0f ? "below" : "above",
                        static_cast<double>(-offset / slope));
    return CFormat("%d point%s of the new curve %s at or below 0 ohm: the line through the "
                   "reference points does not hold %s.",
                   count, count == 1 ? "" : "s", count == 1 ? "is" : "are", where.c_str());
}

// How a check's failure writes the range line into the log.
enum class RangeLog { SixDecimals, TwoDecimals };

class CCalGenRun {
public:
    CCalGenRun(IFileChooser& files, IReferencePointDialog& points, IMessageBoxes& boxes,
               IMessageLog& log)
        : files_(files), points_(points), boxes_(boxes), log_(log) {}

    CalGenOutcome Run(CalGenOperation operation);

private:
    bool ValueAt30(float& v30);
    bool CheckPoint(const ReferenceRow& row, const char* offBox, RangeLog rangeLog);
    std::optional<Generated> Generate(CalGenOperation operation, const ReferenceForm& form);
    std::optional<Generated> OnePoint300K(const ReferenceRow& row);
    std::optional<Generated> OnePoint4K2(const ReferenceRow& row);
    std::optional<Generated> TwoPoints(const ReferenceRow& low, const ReferenceRow& high);
    std::optional<Generated> ThreePoints(const ReferenceRow& r4k2, const ReferenceRow& r77,
                                         const ReferenceRow& r300);
    std::optional<Generated> Platinum(const ReferenceRow& low, const ReferenceRow& high);
    std::optional<Generated> Refuse(const char* text);
    CalGenOutcome Finish(const Generated& generated);

    IFileChooser& files_;
    IReferencePointDialog& points_;
    IMessageBoxes& boxes_;
    IMessageLog& log_;
    CalGenSource source_;
    float v30_ = 0.0f;
    // The field of the form's row that the last failed check found fault with.
    const ReferenceRow* faultyRow_ = nullptr;
    ReferenceField faultyField_ = ReferenceField::None;
};

CalGenOutcome CCalGenRun::Run(CalGenOperation operation) {
    switch (ReadCalGenSource(files_, boxes_, log_, source_)) {
    case SourceRead::Read:
        break;
    case SourceRead::Cancelled:
        return CalGenOutcome::Cancelled;
    case SourceRead::Refused:
        return CalGenOutcome::Refused;
    }

    ReferenceForm form;
    switch (operation) {
    case CalGenOperation::Diode300K:
    case CalGenOperation::Diode4K2:
        if (!ValueAt30(v30_))
            return CalGenOutcome::Refused;
        form = OnePointForm(operation == CalGenOperation::Diode300K
                                ? "Please enter a reference point at around 300K"
                                : "Please enter a reference point at around 4.2K");
        break;
    case CalGenOperation::DiodeTwoPoints:
        form = DiodeTwoPointsForm();
        break;
    case CalGenOperation::DiodeThreePoints:
        form = ThreePointsForm();
        break;
    case CalGenOperation::Platinum:
        form = PlatinumTwoPointsForm();
        break;
    }

    // The dialog comes back with the values entered until the points pass.
    for (;;) {
        if (!points_.EnterReferencePoints(form))
            return CalGenOutcome::Cancelled;
        faultyRow_ = nullptr;
        faultyField_ = ReferenceField::None;
        if (auto generated = Generate(operation, form))
            return Finish(*generated);
        form.faultyField = faultyField_;
        form.faultyRow =
            faultyRow_ != nullptr ? static_cast<std::size_t>(faultyRow_ - form.rows.data()) : 0;
    }
}

bool CCalGenRun::ValueAt30(float& v30) {
    v30 = InterpolateCurve(Split, source_.curve);
    if (v30 >= 0.0f)
        return true;
    boxes_.ShowMessage("30K is not within the range of the source curve.", MessageIcon::Stop);
    log_.AppendLog(
        CFormat("30K is not within the range of the curve in %s.\n", source_.fileName.c_str()));
    return false;
}

// The reference point must lie on the source curve and within 5 % of it.
bool CCalGenRun::CheckPoint(const ReferenceRow& row, const char* offBox, RangeLog rangeLog) {
    const float t = row.temperature;
    const float v = row.value;
    const float s = InterpolateCurve(t, source_.curve);
    if (s < 0.0f) {
        faultyRow_ = &row;
        faultyField_ = ReferenceField::Temperature;
        boxes_.ShowMessage(
            CFormat("%10.6fK is not within the range of the source curve.", static_cast<double>(t)),
            MessageIcon::Stop);
        log_.AppendLog(rangeLog == RangeLog::TwoDecimals
                           ? CFormat("%10.2fK is not within the range of the curve in %s.\n",
                                     static_cast<double>(t), source_.fileName.c_str())
                           : CFormat("%10.6fK is not within the range of the curve in %s.\n",
                                     static_cast<double>(t), source_.fileName.c_str()));
        return false;
    }
    // A curve value of 0 leaves nothing to divide by: any other value is off.
    const float difference = std::fabs(s - v);
    const bool off = s == 0.0f ? v != 0.0f : difference / s > MaxDifference;
    if (off) {
        faultyRow_ = &row;
        faultyField_ = ReferenceField::Value;
        boxes_.ShowMessage(offBox, MessageIcon::Stop);
        log_.AppendLog(
            CFormat("%10.6fV is more than 5%% difference from the source curve at %10.6fK.\n",
                    static_cast<double>(v), static_cast<double>(t)));
        return false;
    }
    return true;
}

std::optional<Generated> CCalGenRun::Generate(CalGenOperation operation,
                                              const ReferenceForm& form) {
    const std::vector<ReferenceRow>& rows = form.rows;
    switch (operation) {
    case CalGenOperation::Diode300K:
        return OnePoint300K(rows.at(0));
    case CalGenOperation::Diode4K2:
        return OnePoint4K2(rows.at(0));
    case CalGenOperation::DiodeTwoPoints:
        return TwoPoints(rows.at(0), rows.at(1));
    case CalGenOperation::DiodeThreePoints:
        return ThreePoints(rows.at(0), rows.at(1), rows.at(2));
    case CalGenOperation::Platinum:
        return Platinum(rows.at(0), rows.at(1));
    }
    return std::nullopt;
}

std::optional<Generated> CCalGenRun::Refuse(const char* text) {
    boxes_.ShowMessage(text, MessageIcon::Stop);
    return std::nullopt;
}

std::optional<Generated> CCalGenRun::OnePoint300K(const ReferenceRow& row) {
    if (!CheckPoint(row, "Reference volatge exceeded 5% difference.", RangeLog::SixDecimals))
        return std::nullopt;
    auto curve = CorrectCurve(source_.curve, 0, row.temperature, row.value, Split, v30_);
    if (!curve)
        return Refuse(Point300KTooLow);
    return Generated{std::move(*curve),
                     CFormat("New Curve generated using %10.6fV at %10.6fK.\n",
                             static_cast<double>(row.value), static_cast<double>(row.temperature))};
}

std::optional<Generated> CCalGenRun::OnePoint4K2(const ReferenceRow& row) {
    if (!CheckPoint(row, "Reference volatge exceeded 5% difference.", RangeLog::SixDecimals))
        return std::nullopt;
    auto curve = CorrectCurve(source_.curve, 3, Split, v30_, row.temperature, row.value);
    if (!curve)
        return Refuse(Point4K2TooHigh);
    return Generated{std::move(*curve),
                     CFormat("New Curve generated using %10.6fV at %10.6fK.\n",
                             static_cast<double>(row.value), static_cast<double>(row.temperature))};
}

std::optional<Generated> CCalGenRun::TwoPoints(const ReferenceRow& low, const ReferenceRow& high) {
    if (!CheckPoint(low, "Low reference volatge exceeded 5% difference.", RangeLog::SixDecimals) ||
        !CheckPoint(high, "High reference volatge exceeded 5% difference.", RangeLog::SixDecimals))
        return std::nullopt;
    const float s30 = InterpolateCurve(Split, source_.curve);
    auto first = CorrectCurve(source_.curve, 1, low.temperature, low.value, Split, s30);
    if (!first)
        return Refuse(Point77KTooLow);
    auto curve = CorrectCurve(*first, 1, high.temperature, high.value, low.temperature, low.value);
    if (!curve)
        return Refuse(Points77And300TooClose);
    return Generated{std::move(*curve),
                     CFormat("Generate curve using %10.6fV at %10.6fK \nand %10.6fV at %10.6fK.\n",
                             static_cast<double>(high.value), static_cast<double>(high.temperature),
                             static_cast<double>(low.value), static_cast<double>(low.temperature))};
}

std::optional<Generated> CCalGenRun::ThreePoints(const ReferenceRow& r4k2, const ReferenceRow& r77,
                                                 const ReferenceRow& r300) {
    if (!CheckPoint(r77, "Middle reference volatge exceeded 5% difference.",
                    RangeLog::SixDecimals) ||
        !CheckPoint(r300, "High reference volatge exceeded 5% difference.",
                    RangeLog::TwoDecimals) ||
        !CheckPoint(r4k2, "Low reference volatge exceeded 5% difference.", RangeLog::TwoDecimals))
        return std::nullopt;
    auto first =
        CorrectCurve(source_.curve, 2, r300.temperature, r300.value, r77.temperature, r77.value);
    if (!first)
        return Refuse(Points77And300TooClose);
    const float a30 = InterpolateCurve(Split, *first);
    // Out of reach of the dialog, which holds this point at 15 K or below.
    auto curve = CorrectCurve(*first, 2, Split, a30, r4k2.temperature, r4k2.value);
    if (!curve)
        return Refuse(Point4K2TooHigh);
    const auto point = [](const ReferenceRow& row) {
        return CFormat("%10.6fV at %10.6fK", static_cast<double>(row.value),
                       static_cast<double>(row.temperature));
    };
    return Generated{std::move(*curve), "Generate new curve using " + point(r300) + ",\n" +
                                            "                     and " + point(r77) + ",\n" +
                                            "                     and " + point(r4k2) + ".\n"};
}

std::optional<Generated> CCalGenRun::Platinum(const ReferenceRow& low, const ReferenceRow& high) {
    if (!CheckPoint(low, "Low reference resistance exceeded 5% difference.",
                    RangeLog::SixDecimals) ||
        !CheckPoint(high, "High reference resistance exceeded 5% difference.",
                    RangeLog::TwoDecimals))
        return std::nullopt;
    // One temperature for both points gives the line no slope.
    if (low.temperature == high.temperature)
        return Refuse("The LOW and HIGH reference temperatures must be different.");
    const float slope = (high.value - low.value) / (high.temperature - low.temperature);
    const float offset = high.value - high.temperature * slope;
    CalCurve curve;
    curve.points.reserve(source_.curve.points.size());
    for (const CalPoint& point : source_.curve.points)
        curve.points.push_back({offset + slope * point.temperature, point.temperature});
    std::string doubt = NonpositiveDoubt(curve, slope, offset);
    return Generated{
        std::move(curve),
        CFormat("Generate curve using %10.6fohm at %10.6fK \nand %10.6fohm at %10.6fK.\n",
                static_cast<double>(high.value), static_cast<double>(high.temperature),
                static_cast<double>(low.value), static_cast<double>(low.temperature)),
        std::move(doubt)};
}

CalGenOutcome CCalGenRun::Finish(const Generated& generated) {
    log_.AppendLog(generated.summary);
    log_.AppendLog(FormatCalGenLog(generated.curve));
    if (!generated.doubt.empty()) {
        log_.AppendLog(generated.doubt + "\n");
        if (!points_.KeepNonpositiveCurve(generated.doubt))
            return CalGenOutcome::NotSaved;
    }
    files_.ProposeSaveName(CalGenFileName(source_.fileName));
    auto fileName = files_.ChooseSaveFile("crv", "Curve Files (*.crv)|*.crv||");
    if (!fileName)
        return CalGenOutcome::NotSaved;
    // Never over the source curve, under whatever name it was chosen.
    std::string error;
    if (!WriteFileAtomically(*fileName, FormatCalGenFile(source_.header, generated.curve), &error,
                             source_.fileName)) {
        boxes_.ShowMessage("Failed to create file", MessageIcon::Warning);
        log_.AppendLog("Failed to create file " + error + "\n");
        return CalGenOutcome::WriteFailed;
    }
    log_.AppendLog("New curve saved in " + AbsolutePath(*fileName) + "\n");
    return CalGenOutcome::Saved;
}

} // namespace

CalGenOutcome RunCalGen(CalGenOperation operation, IFileChooser& files,
                        IReferencePointDialog& points, IMessageBoxes& boxes, IMessageLog& log) {
    return CCalGenRun(files, points, boxes, log).Run(operation);
}

std::string CalGenFileName(const std::string& sourceFile) {
    const std::string stem = std::filesystem::path(sourceFile).stem().string();
    return stem.empty() ? std::string() : ProposedFileName(stem + "_CalGen", "crv");
}

std::optional<CalGenOperation> CalGenOperationOf(int sensorIndex, int pointsIndex) {
    if (sensorIndex == 1)
        return CalGenOperation::Platinum;
    if (sensorIndex != 0)
        return std::nullopt;
    switch (pointsIndex) {
    case 0:
        return CalGenOperation::Diode300K;
    case 1:
        return CalGenOperation::Diode4K2;
    case 2:
        return CalGenOperation::DiodeTwoPoints;
    case 3:
        return CalGenOperation::DiodeThreePoints;
    default:
        return std::nullopt;
    }
}

namespace {

struct OperationName {
    std::string_view name;
    CalGenOperation operation;
    std::size_t points; // rows of its dialog
};

constexpr std::array<OperationName, 5> Operations{{
    {"diode-300k", CalGenOperation::Diode300K, 1},
    {"diode-4.2k", CalGenOperation::Diode4K2, 1},
    {"diode-2", CalGenOperation::DiodeTwoPoints, 2},
    {"diode-3", CalGenOperation::DiodeThreePoints, 3},
    {"platinum", CalGenOperation::Platinum, 2},
}};

} // namespace

std::optional<CalGenOperation> CalGenOperationByName(std::string_view name) {
    for (const OperationName& entry : Operations)
        if (entry.name == name)
            return entry.operation;
    return std::nullopt;
}

std::size_t CalGenPointCount(CalGenOperation operation) {
    for (const OperationName& entry : Operations)
        if (entry.operation == operation)
            return entry.points;
    return 0;
}
