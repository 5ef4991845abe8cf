#pragma once

#include <string>
#include <string_view>
#include <vector>

// The allowed values of one field of a reference-point dialog, bounds included.
struct FieldRange {
    float low = 0.0f;
    float high = 0.0f;

    bool Holds(float value) const { return value >= low && value <= high; }
};

// One reference point as a dialog row shows it: the caption above it, the
// temperature and the sensor's value there, each with its range.
struct ReferenceRow {
    std::string caption;
    float temperature = 0.0f;
    float value = 0.0f;
    FieldRange temperatureRange;
    FieldRange valueRange;
};

// The three reference-point dialogs.
enum class ReferenceDialogKind {
    OnePoint,    // COnePoint, "Enter a single reference point"
    TwoPoints,   // CTWOPOINTS, "Enter two reference points"
    ThreePoints, // CThreePoints, "Enter three reference points"
};

// A field of a reference-point dialog's row.
enum class ReferenceField {
    None,
    Temperature,
    Value,
};

// What a reference-point dialog is opened with and gives back: its rows, top
// to bottom, and the label and unit of the value fields ("Voltage:", "V" or
// "Resistance:", "ohm"). After a failed check the dialog opens again with the
// focus in the field the check found fault with.
struct ReferenceForm {
    ReferenceDialogKind kind = ReferenceDialogKind::OnePoint;
    std::string valueLabel = "Voltage:";
    std::string unitLabel = "V";
    std::vector<ReferenceRow> rows;
    std::size_t faultyRow = 0;
    ReferenceField faultyField = ReferenceField::None;
};

// The forms of the CalGen operations, with their captions and ranges; every
// value starts at 0.
ReferenceForm OnePointForm(std::string caption);
ReferenceForm DiodeTwoPointsForm();
ReferenceForm PlatinumTwoPointsForm();
ReferenceForm ThreePointsForm();

// A field's text as the dialog takes it: a number in the C locale, blanks
// around it allowed, within `range`. Returns "" and sets `value`, or the
// standard validation message and leaves `value` alone:
//   "Enter a number."                    not a number
//   "Enter a number between 1 and 177."  outside the range
std::string ParseReferenceField(std::string_view text, const FieldRange& range, float& value);
// The validation message of a value outside `range`.
std::string OutOfRangeText(const FieldRange& range);

// The reference-point dialog the operation runs. The GUI shows the real
// dialog, which refuses values outside their ranges before it closes; the CLI
// and the tests answer with given points.
class IReferencePointDialog {
public:
    virtual ~IReferencePointDialog() = default;
    // Opens with the form's values; true on OK with the entered values in the
    // form's rows, each within its ranges; false on Cancel.
    virtual bool EnterReferencePoints(ReferenceForm& form) = 0;
    // Asked before a new curve that holds values at or below 0 (a platinum
    // line beyond its crossing) is offered for saving; `text` says how many
    // and where. True goes on to the save dialog, false keeps the curve in
    // the log only.
    virtual bool KeepNonpositiveCurve(std::string_view text) = 0;
};
