#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "curves/SensorCurve.h"
#include "curves/ThermocoupleStandard.h"

// A curve computed from a published standard instead of measured: platinum
// resistors per IEC 60751, thermocouples per the NIST ITS-90 reference
// functions. Its breakpoints are placed so that the instrument's linear
// interpolation between them stays as close to the standard as it can.

enum class StandardSensor { Platinum, Thermocouple };

// One kind the user picks from: the command line's KIND and the dialog's list.
struct StandardKind {
    std::string_view name;  // "pt100", "type-k", ...
    std::string_view label; // "Pt100 (IEC 60751)", ...
    StandardSensor sensor;
    double r0;                     // platinum: ohm at 0 °C; 0 when the user gives it
    ThermocoupleType thermocouple; // thermocouples only
};
std::span<const StandardKind> StandardKinds();
const StandardKind* StandardKindByName(std::string_view name);

struct StandardCurveRequest {
    StandardSensor sensor = StandardSensor::Platinum;
    double r0 = 100.0;
    ThermocoupleType thermocouple = ThermocoupleType::K;
    std::optional<double> fromKelvin; // default: the lowest temperature the standard covers
    std::optional<double> toKelvin;   // default: the highest
    int points = SensorCurve::MaxEntries;
    // Platinum: UnitOhms (default) or UnitLogOhms; thermocouples: UnitMilliVolts.
    std::optional<UnitCode> unit;
};

// The request with a kind's sensor, R0 and type filled in.
StandardCurveRequest RequestOf(const StandardKind& kind);

// The temperatures a request's curve covers unless told otherwise, in kelvin.
struct KelvinRange {
    double from;
    double to;
};
KelvinRange StandardRange(const StandardCurveRequest& request);
// What the range is defined by: "IEC 60751" or "NIST ITS-90 type K".
std::string StandardName(const StandardCurveRequest& request);

struct StandardCurve {
    SensorCurve curve;     // header filled in, entries ascending in value
    std::string model;     // the sensor model line of a ".340" file: "PT-100", "Type K"
    double fromKelvin = 0; // the range the breakpoints span
    double toKelvin = 0;
    // The largest temperature error of linear interpolation between the
    // breakpoints as written, against the standard, in kelvin; and the same
    // for as many evenly spaced breakpoints.
    double largestError = 0;
    double evenError = 0;
};

struct StandardCurveResult {
    std::optional<StandardCurve> curve;
    std::string refusal; // why there is no curve
};

StandardCurveResult MakeStandardCurve(const StandardCurveRequest& request);

// The log's summary line of a curve, ended by a line feed.
std::string StandardCurveSummary(const StandardCurve& standard);
