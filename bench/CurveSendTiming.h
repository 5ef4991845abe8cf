#pragma once

#include <cstddef>

#include "curves/SensorCurve.h"

class CCommLink;
class SilentUi;

// The simulator paces its pseudo-terminal at a real RS232 line rate for the
// curve measurements: 10 bits a byte.
inline constexpr int CurveLineRate = 115200;

// The 200-entry diode curve the curve measurements send.
SensorCurve BenchDiodeCurve();

// One send of `curve` into user curve 1, as the download sends it: "CALC 1",
// the four header lines, the entries and ";".
struct CurveSendTime {
    bool whole = false;    // sent without error, and the instrument holds every entry
    std::size_t bytes = 0; // what the lines from "CALC 1" to ";" put on the line
    double sent = 0.0;     // seconds until the link had written the last line
    double taken = 0.0;    // seconds until the instrument answered a query sent after them
};
CurveSendTime TimeCurveSend(CCommLink& link, SilentUi& ui, const SensorCurve& curve);

// How long the line itself needs for `bytes` at CurveLineRate, in seconds.
double CurveLineSeconds(std::size_t bytes);
