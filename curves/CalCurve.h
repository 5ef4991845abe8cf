#pragma once

#include <vector>

// One point of a working curve: the sensor value and its temperature.
struct CalPoint {
    float value = 0.0f;
    float temperature = 0.0f;
};

// One node of the interpolating spline: temperature, value and the second
// derivative of the value at that temperature.
struct SplineNode {
    float x = 0.0f;
    float y = 0.0f;
    float y2 = 0.0f;
};

// The working curve of a CalGen run. The points stay in the order of the
// source file; the spline is built on the first lookup, its nodes sorted by
// temperature, and the cursor remembers the interval the last lookup used.
struct CalCurve {
    std::vector<CalPoint> points;
    std::vector<SplineNode> spline; // empty until the first lookup
    int cursor = 0;                 // set to the node count / 2 when the spline is built

    int Count() const { return static_cast<int>(points.size()); }
};
