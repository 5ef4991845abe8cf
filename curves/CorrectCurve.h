#pragma once

#include <optional>

#include "curves/CalCurve.h"

// Where CorrectCurve keeps a point's input value rather than its corrected
// value, by the point's temperature T and the second anchor's temperature T2:
//   0: T < 30
//   1: T <= 30, or T2 > 30 and T < T2
//   2, 3: T2 < 30 and T > 30
using CorrectionMode = int;

// A linear correction through two anchors (T1, V1) and (T2, V2), T1 at least
// 10 K above T2: each point's value moves by the difference between the line
// through the anchors and the line through the curve's own values at T1 and
// T2, so that the correction is V2 - C2 at T2 and V1 - C1 at T1, linear in
// between and beyond. Temperatures and order are kept; the mode decides which
// points take the corrected value. Nothing when the anchors are less than
// 10 K apart or the mode is not one of the four; the input curve's spline is
// built for the lookups.
std::optional<CalCurve> CorrectCurve(CalCurve& curve, CorrectionMode mode, float t1, float v1,
                                     float t2, float v2);
