#include "curves/StandardCurve.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "base/DecimalText.h"
#include "curves/BreakpointPlacement.h"
#include "curves/PlatinumStandard.h"

namespace {

constexpr int MinPoints = 4;
constexpr std::size_t NameLength = 15;
// Type B's emf falls from 0 °C to about 21 °C and is double-valued up to
// about 42 °C; its tables start being of use at 50 °C.
constexpr double TypeBDefaultFrom = 323.15;
// The reading must rise everywhere between the breakpoints: checked this finely.
constexpr int RiseChecks = 4000;

constexpr std::array<StandardKind, 12> Kinds{{
    {"pt100", "Pt100 (IEC 60751)", StandardSensor::Platinum, 100.0, ThermocoupleType::K},
    {"pt500", "Pt500 (IEC 60751)", StandardSensor::Platinum, 500.0, ThermocoupleType::K},
    {"pt1000", "Pt1000 (IEC 60751)", StandardSensor::Platinum, 1000.0, ThermocoupleType::K},
    {"platinum", "Platinum, R0 given (IEC 60751)", StandardSensor::Platinum, 0.0,
     ThermocoupleType::K},
    {"type-e", "Type E (NIST ITS-90)", StandardSensor::Thermocouple, 0.0, ThermocoupleType::E},
    {"type-j", "Type J (NIST ITS-90)", StandardSensor::Thermocouple, 0.0, ThermocoupleType::J},
    {"type-k", "Type K (NIST ITS-90)", StandardSensor::Thermocouple, 0.0, ThermocoupleType::K},
    {"type-n", "Type N (NIST ITS-90)", StandardSensor::Thermocouple, 0.0, ThermocoupleType::N},
    {"type-t", "Type T (NIST ITS-90)", StandardSensor::Thermocouple, 0.0, ThermocoupleType::T},
    {"type-r", "Type R (NIST ITS-90)", StandardSensor::Thermocouple, 0.0, ThermocoupleType::R},
    {"type-s", "Type S (NIST ITS-90)", StandardSensor::Thermocouple, 0.0, ThermocoupleType::S},
    {"type-b", "Type B (NIST ITS-90)", StandardSensor::Thermocouple, 0.0, ThermocoupleType::B},
}};

// The reading of the curve at a temperature, in the curve's unit.
ReadingOfKelvin ReadingOf(const StandardCurveRequest& request, UnitCode unit) {
    if (request.sensor == StandardSensor::Thermocouple)
        return
            [type = request.thermocouple](double kelvin) { return ThermocoupleEmf(type, kelvin); };
    if (unit == UnitLogOhms)
        return
            [r0 = request.r0](double kelvin) { return std::log10(PlatinumResistance(r0, kelvin)); };
    return [r0 = request.r0](double kelvin) { return PlatinumResistance(r0, kelvin); };
}

KelvinRange DefinedRange(const StandardCurveRequest& request) {
    if (request.sensor == StandardSensor::Platinum)
        return {PlatinumLowestKelvin, PlatinumHighestKelvin};
    const ThermocoupleRange range = RangeOf(request.thermocouple);
    return {range.lowestKelvin, range.highestKelvin};
}

std::string KelvinText(double kelvin) {
    return FormatGeneral(kelvin, 8) + " K";
}

// The instrument's sensor type that reads this resistor: the one whose
// nominal resistance is nearest on a logarithmic scale.
const char* PlatinumType(double r0) {
    if (r0 < std::sqrt(100.0 * 1000.0))
        return "PTC100";
    if (r0 < std::sqrt(1000.0 * 10000.0))
        return "PTC1K";
    return "PTC10K";
}

// A temperature as the file holds it (32 bits), kept inside the range.
float WrittenKelvin(double kelvin, const KelvinRange& range) {
    float written = static_cast<float>(kelvin);
    if (written < range.from)
        written = std::nextafter(written, HUGE_VALF);
    if (written > range.to)
        written = std::nextafter(written, -HUGE_VALF);
    return written;
}

// A breakpoint table as the file holds it.
struct Written {
    std::vector<double> kelvin;
    std::vector<double> readings;
    bool rising = true; // both columns strictly ascending
};

Written Write(const ReadingOfKelvin& reading, const std::vector<double>& kelvin,
              const KelvinRange& range) {
    Written written;
    for (double t : kelvin) {
        const float wt = WrittenKelvin(t, range);
        written.kelvin.push_back(wt);
        written.readings.push_back(static_cast<float>(reading(wt)));
        const std::size_t n = written.kelvin.size();
        if (n > 1 && (!(written.kelvin[n - 1] > written.kelvin[n - 2]) ||
                      !(written.readings[n - 1] > written.readings[n - 2])))
            written.rising = false;
    }
    return written;
}

// The first temperature where the reading stops rising, if it does.
std::optional<double> FirstFall(const ReadingOfKelvin& reading, const KelvinRange& range) {
    double previous = reading(range.from);
    for (int i = 1; i <= RiseChecks; ++i) {
        const double t = range.from + (range.to - range.from) * i / RiseChecks;
        const double r = reading(t);
        if (!(r > previous))
            return t;
        previous = r;
    }
    return std::nullopt;
}

std::string Refusal(const StandardCurveRequest& request, KelvinRange& range, UnitCode& unit) {
    if (request.points < MinPoints || request.points > SensorCurve::MaxEntries)
        return CFormat("A curve has %d to %d points.", MinPoints, SensorCurve::MaxEntries);
    const bool platinum = request.sensor == StandardSensor::Platinum;
    if (platinum && !(request.r0 > 0.0 && std::isfinite(request.r0)))
        return "R0 must be a resistance above 0 ohm.";
    unit = request.unit.value_or(platinum ? UnitOhms : UnitMilliVolts);
    if (platinum && unit != UnitOhms && unit != UnitLogOhms)
        return "A platinum curve is in Ohms or LogOhm.";
    if (!platinum && unit != UnitMilliVolts)
        return "A thermocouple curve is in mVolts.";
    const KelvinRange defined = DefinedRange(request);
    range = StandardRange(request);
    if (!std::isfinite(range.from) || !std::isfinite(range.to) || !(range.from < range.to))
        return "The range must run from a lower to a higher temperature.";
    if (platinum && range.from < defined.from)
        return "IEC 60751 defines platinum resistors from 73.15 K (-200 C) to 1123.15 K "
               "(850 C) and says nothing below 73.15 K: " +
               KelvinText(range.from) + " is outside.";
    if (range.from < defined.from || range.to > defined.to)
        return StandardName(request) + " is defined from " + KelvinText(defined.from) + " to " +
               KelvinText(defined.to) + ": " +
               KelvinText(range.from < defined.from ? range.from : range.to) + " is outside.";
    if (auto fall = FirstFall(ReadingOf(request, unit), range))
        return "The reading of " + StandardName(request) + " does not rise with temperature near " +
               KelvinText(*fall) + ": a curve cannot hold it. Start the range higher.";
    return {};
}

void FillHeader(const StandardCurveRequest& request, UnitCode unit, StandardCurve& standard) {
    SensorCurve& curve = standard.curve;
    if (request.sensor == StandardSensor::Platinum) {
        const std::string r0 = FormatGeneral(request.r0, 6);
        curve.name = ("Pt" + r0 + " IEC60751").substr(0, NameLength);
        curve.type = PlatinumType(request.r0);
        standard.model = "PT-" + r0;
    } else {
        const std::string letter(LetterOf(request.thermocouple));
        curve.name = "Type " + letter + " ITS-90";
        // The instrument's thermocouple input type; the letter is in the name.
        curve.type = "TC80";
        standard.model = "Type " + letter;
    }
    curve.multiplier = 1.0f;
    curve.multiplierText = FormatNumber(curve.multiplier, 8);
    curve.unit = unit;
    curve.unitText = unit == UnitOhms ? "Ohms" : unit == UnitLogOhms ? "LogOhm" : "mVolts";
}

} // namespace

std::span<const StandardKind> StandardKinds() {
    return Kinds;
}

const StandardKind* StandardKindByName(std::string_view name) {
    for (const StandardKind& kind : Kinds)
        if (kind.name == name)
            return &kind;
    return nullptr;
}

StandardCurveRequest RequestOf(const StandardKind& kind) {
    StandardCurveRequest request;
    request.sensor = kind.sensor;
    if (kind.r0 > 0.0)
        request.r0 = kind.r0;
    request.thermocouple = kind.thermocouple;
    return request;
}

KelvinRange StandardRange(const StandardCurveRequest& request) {
    KelvinRange range = DefinedRange(request);
    if (request.sensor == StandardSensor::Thermocouple &&
        request.thermocouple == ThermocoupleType::B)
        range.from = TypeBDefaultFrom;
    return {request.fromKelvin.value_or(range.from), request.toKelvin.value_or(range.to)};
}

std::string StandardName(const StandardCurveRequest& request) {
    if (request.sensor == StandardSensor::Platinum)
        return "IEC 60751";
    return "NIST ITS-90 type " + std::string(LetterOf(request.thermocouple));
}

StandardCurveResult MakeStandardCurve(const StandardCurveRequest& request) {
    StandardCurveResult result;
    KelvinRange range{};
    UnitCode unit = UnitOhms;
    result.refusal = Refusal(request, range, unit);
    if (!result.refusal.empty())
        return result;

    const ReadingOfKelvin reading = ReadingOf(request, unit);
    const Written placed =
        Write(reading, EqualErrorBreakpoints(reading, range.from, range.to, request.points), range);
    const Written even =
        Write(reading, EvenBreakpoints(range.from, range.to, request.points), range);
    if (!placed.rising) {
        result.refusal = "Two breakpoints fall on the same value as the file writes it: "
                         "choose fewer points or a wider range.";
        return result;
    }

    StandardCurve standard;
    FillHeader(request, unit, standard);
    standard.fromKelvin = placed.kelvin.front();
    standard.toKelvin = placed.kelvin.back();
    standard.largestError = LargestInterpolationError(reading, placed.kelvin, placed.readings);
    standard.evenError =
        even.rising ? LargestInterpolationError(reading, even.kelvin, even.readings) : HUGE_VAL;
    SensorCurve& curve = standard.curve;
    curve.count = static_cast<int>(placed.kelvin.size());
    for (int i = 0; i < curve.count; ++i) {
        CurveEntry& entry = curve.entries[static_cast<std::size_t>(i)];
        entry.value = static_cast<float>(placed.readings[static_cast<std::size_t>(i)]);
        entry.temperature = static_cast<float>(placed.kelvin[static_cast<std::size_t>(i)]);
        entry.line = FormatNumber(entry.value, 10) + "  " + FormatNumber(entry.temperature, 10);
    }
    result.curve = std::move(standard);
    return result;
}

std::string StandardCurveSummary(const StandardCurve& standard) {
    const SensorCurve& curve = standard.curve;
    return CFormat("%s, %.2f K to %.2f K, %d points: largest interpolation error %.6f K "
                   "(evenly spaced: %.6f K)\n",
                   curve.name.c_str(), standard.fromKelvin, standard.toKelvin, curve.count,
                   standard.largestError, standard.evenError);
}
