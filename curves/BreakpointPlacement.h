#pragma once

#include <functional>
#include <vector>

// The instrument turns a reading into a temperature by linear interpolation
// between the breakpoints of a curve, in the curve's unit (ohm, log10 ohm or
// millivolt). These functions measure and place breakpoints for a curve given
// as a function from kelvin to reading, rising with temperature.
using ReadingOfKelvin = std::function<double(double)>;

// The largest |T_interpolated - T| over the readings between two breakpoints
// (lowKelvin, lowReading) and (highKelvin, highReading), in kelvin. The
// breakpoint readings may differ slightly from `reading` (rounded as written).
double SegmentError(const ReadingOfKelvin& reading, double lowKelvin, double lowReading,
                    double highKelvin, double highReading);

// The largest SegmentError of a breakpoint table (kelvin ascending, with the
// reading written at each).
double LargestInterpolationError(const ReadingOfKelvin& reading, const std::vector<double>& kelvin,
                                 const std::vector<double>& readings);

// `count` temperatures (at least 2) from `fromKelvin` to `toKelvin`, ends
// included, placed so that the largest interpolation error is as small as
// the search finds it: every segment holds about the same error.
std::vector<double> EqualErrorBreakpoints(const ReadingOfKelvin& reading, double fromKelvin,
                                          double toKelvin, int count);

// `count` temperatures evenly spaced from `fromKelvin` to `toKelvin`.
std::vector<double> EvenBreakpoints(double fromKelvin, double toKelvin, int count);
