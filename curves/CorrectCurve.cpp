#include "curves/CorrectCurve.h"

#include "curves/InterpolateCurve.h"

namespace {

constexpr float MinAnchorDistance = 10.0f;
constexpr float Split = 30.0f;

// True where the mode keeps the input value at temperature t.
bool KeepsInput(CorrectionMode mode, float t, float t2) {
    switch (mode) {
    case 0:
        return t < Split;
    case 1:
        return t <= Split || (t2 > Split && t < t2);
    default: // 2 and 3
        return t2 < Split && t > Split;
    }
}

} // namespace

std::optional<CalCurve> CorrectCurve(CalCurve& curve, CorrectionMode mode, float t1, float v1,
                                     float t2, float v2) {
    if (mode < 0 || mode > 3)
        return std::nullopt;
    const float c2 = InterpolateCurve(t2, curve);
    const float c1 = InterpolateCurve(t1, curve);
    const float d = t1 - t2;
    if (d < MinAnchorDistance)
        return std::nullopt;
    const float r = (v1 - v2) / d;
    const float m = (c1 - c2) / d;

    CalCurve corrected;
    corrected.points.reserve(curve.points.size());
    for (const CalPoint& point : curve.points) {
        const float dt = point.temperature - t2;
        const float reference = v2 + r * dt;
        const float own = c2 + m * dt;
        const float value = point.value + reference - own;
        corrected.points.push_back(
            {KeepsInput(mode, point.temperature, t2) ? point.value : value, point.temperature});
    }
    return corrected;
}
