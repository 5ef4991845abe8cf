#include "curves/ReferencePointDialog.h"
#include "base/DecimalText.h"

namespace {

constexpr FieldRange Volts{0.0f, 3.0f};

ReferenceRow Row(std::string caption, FieldRange temperature, FieldRange value) {
    ReferenceRow row;
    row.caption = std::move(caption);
    row.temperatureRange = temperature;
    row.valueRange = value;
    return row;
}

} // namespace

ReferenceForm OnePointForm(std::string caption) {
    ReferenceForm form;
    form.kind = ReferenceDialogKind::OnePoint;
    form.rows = {Row(std::move(caption), {0.0f, 500.0f}, Volts)};
    return form;
}

ReferenceForm DiodeTwoPointsForm() {
    ReferenceForm form;
    form.kind = ReferenceDialogKind::TwoPoints;
    form.rows = {Row("Enter a reference point close to 77K", {1.0f, 177.0f}, {0.0f, 3000.0f}),
                 Row("Enter a reference point close to 300K", {177.0f, 600.0f}, {0.0f, 3000.0f})};
    return form;
}

ReferenceForm PlatinumTwoPointsForm() {
    ReferenceForm form;
    form.kind = ReferenceDialogKind::TwoPoints;
    form.valueLabel = "Resistance:";
    form.unitLabel = "ohm";
    form.rows = {
        Row("Enter a reference point at LOW temperature", {1.0f, 500.0f}, {0.0f, 30000.0f}),
        Row("Enter a reference point at HIGH temperature", {177.0f, 1000.0f}, {0.0f, 30000.0f})};
    return form;
}

ReferenceForm ThreePointsForm() {
    ReferenceForm form;
    form.kind = ReferenceDialogKind::ThreePoints;
    form.rows = {Row("Enter a reference point close to 4.2K", {0.0f, 15.0f}, Volts),
                 Row("Enter a reference point close to 77K", {15.0f, 177.0f}, Volts),
                 Row("Enter a reference point close to 300K", {177.0f, 475.0f}, Volts)};
    return form;
}

std::string ParseReferenceField(std::string_view text, const FieldRange& range, float& value) {
    constexpr std::string_view Blanks = " \t\r\n";
    const auto first = text.find_first_not_of(Blanks);
    text = first == std::string_view::npos
               ? std::string_view()
               : text.substr(first, text.find_last_not_of(Blanks) - first + 1);
    float number = 0.0f;
    if (!ParseNumber(text, number))
        return "Enter a number.";
    if (!range.Holds(number))
        return OutOfRangeText(range);
    value = number;
    return {};
}

std::string OutOfRangeText(const FieldRange& range) {
    return CFormat("Enter a number between %g and %g.", static_cast<double>(range.low),
                   static_cast<double>(range.high));
}
