#pragma once

#include <string>

#include "curves/SensorCurve.h"

// The text of a ".340" curve file, the layout ReadColonCurveFile reads: six
// header lines (sensor model, serial number, data format, setpoint limit,
// temperature coefficient, number of breakpoints), a blank line, the column
// titles, a blank line, then one numbered breakpoint a line (value and
// kelvin with 10 significant digits). The serial number line holds the
// curve's name, the setpoint limit its highest temperature; every line ends
// with a line feed.
std::string Format340File(const SensorCurve& curve, const std::string& model);
