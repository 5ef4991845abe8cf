#include "curves/SensorCurve.h"

#include <algorithm>

void SortByValue(SensorCurve& curve) {
    std::stable_sort(curve.entries.begin(), curve.entries.begin() + curve.count,
                     [](const CurveEntry& a, const CurveEntry& b) { return a.value < b.value; });
}

CurvePlotData PlotDataOf(const SensorCurve& curve) {
    CurvePlotData plot;
    plot.unit = curve.unit;
    for (int i = 0; i < curve.count; ++i) {
        plot.temperatures.push_back(curve.entries[i].temperature);
        plot.values.push_back(curve.entries[i].value);
    }
    return plot;
}
