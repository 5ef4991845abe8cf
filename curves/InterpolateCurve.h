#pragma once

#include "curves/CalCurve.h"

// The curve's value at `temperature` by a natural cubic spline through its
// points, temperature as abscissa, in 32-bit arithmetic throughout; the spline
// is built on the first lookup and the search starts at the interval the last
// lookup used. A temperature lies on the curve when it is above the lowest
// point's temperature and at or below the highest: the lowest temperature
// itself is out. -1 for a temperature off the curve, for a curve of fewer than
// 3 points, and for a curve on which no finite value can be had (two points at
// one temperature leave the spline without a slope).
float InterpolateCurve(float temperature, CalCurve& curve);
