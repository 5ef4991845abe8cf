#include "curves/Write340File.h"

#include <algorithm>

#include "base/DecimalText.h"
#include "curves/WriteCrvFile.h"

namespace {

// The data format line: the unit code and what it stands for.
std::string DataFormat(UnitCode unit) {
    switch (unit) {
    case UnitMilliVolts:
        return "1      (Millivolts/Kelvin)";
    case UnitOhms:
        return "3      (Ohms/Kelvin)";
    case UnitLogOhms:
        return "4      (Log Ohms/Kelvin)";
    default:
        return "2      (Volts/Kelvin)";
    }
}

} // namespace

std::string Format340File(const SensorCurve& curve, const std::string& model) {
    const int count = std::clamp(curve.count, 0, SensorCurve::MaxEntries);
    float highest = 0.0f;
    bool rising = true;
    for (int i = 0; i < count; ++i) {
        const CurveEntry& entry = curve.entries[static_cast<std::size_t>(i)];
        highest = std::max(highest, entry.temperature);
        if (i > 0 && entry.temperature < curve.entries[static_cast<std::size_t>(i - 1)].temperature)
            rising = false;
    }
    std::string text = "Sensor Model:   " + model + "\n";
    text += "Serial Number:  " + curve.name + "\n";
    text += "Data Format:    " + DataFormat(curve.unit) + "\n";
    text += "SetPoint Limit: " + FormatDecimal(highest, 1) + "      (Kelvin)\n";
    // The reading rises with temperature (2) or falls (1).
    text += std::string("Temperature coefficient:  ") + (rising ? "2 (Positive)" : "1 (Negative)") +
            "\n";
    text += "Number of Breakpoints:   " + std::to_string(count) + "\n";
    text += "\nNo.   Units      Temperature (K)\n\n";
    for (int i = 0; i < count; ++i) {
        const CurveEntry& entry = curve.entries[static_cast<std::size_t>(i)];
        text += CFormat("%3d  ", i + 1) + FormatNumber(entry.value, CurveEntryDigits) + "  " +
                FormatNumber(entry.temperature, CurveEntryDigits) + "\n";
    }
    return text;
}
