#include "curves/InterpolateCurve.h"

#include <algorithm>
#include <cmath>
#include <new>

// Every intermediate is a float of its own, as the curves of this program have
// always been computed; the build keeps the compiler from fusing a multiply
// and an add into one step (-ffp-contract=off).

namespace {

constexpr int MinPoints = 3;
constexpr float OneSixth = 0.16666667f;

// Second derivatives by the tridiagonal sweep, 0 at both ends (natural spline).
void BuildSpline(CalCurve& curve) {
    const std::size_t n = curve.points.size();
    std::vector<SplineNode> nodes(n);
    for (std::size_t i = 0; i < n; ++i)
        nodes[i] = {curve.points[i].temperature, curve.points[i].value, 0.0f};
    std::stable_sort(nodes.begin(), nodes.end(),
                     [](const SplineNode& a, const SplineNode& b) { return a.x < b.x; });

    std::vector<float> u(n, 0.0f);
    for (std::size_t i = 1; i + 1 < n; ++i) {
        const SplineNode& left = nodes[i - 1];
        SplineNode& node = nodes[i];
        const SplineNode& right = nodes[i + 1];
        const float sig = (node.x - left.x) / (right.x - left.x);
        const float p = sig * left.y2 + 2.0f;
        node.y2 = (sig - 1.0f) / p;
        const float slopeRight = (right.y - node.y) / (right.x - node.x);
        const float slopeLeft = (node.y - left.y) / (node.x - left.x);
        const float bend = 6.0f * (slopeRight - slopeLeft) / (right.x - left.x);
        u[i] = (bend - sig * u[i - 1]) / p;
    }
    nodes[n - 1].y2 = 0.0f;
    for (std::size_t k = n - 1; k-- > 0;)
        nodes[k].y2 = nodes[k].y2 * nodes[k + 1].y2 + u[k];

    curve.spline = std::move(nodes);
    curve.cursor = static_cast<int>(n / 2);
}

} // namespace

float InterpolateCurve(float temperature, CalCurve& curve) {
    if (curve.Count() < MinPoints)
        return -1.0f;
    if (curve.spline.empty()) {
        try {
            BuildSpline(curve);
        } catch (const std::bad_alloc&) {
            return -1.0f;
        }
    }
    const std::vector<SplineNode>& x = curve.spline;
    const int last = static_cast<int>(x.size()) - 1;

    // The interval k with x[k] < T <= x[k+1].
    int k = std::clamp(curve.cursor, 0, last - 1);
    while (temperature > x[k + 1].x) {
        if (k + 1 == last)
            return -1.0f;
        ++k;
    }
    while (temperature <= x[k].x) {
        if (k == 0)
            return -1.0f;
        --k;
    }
    curve.cursor = k;

    const SplineNode& lo = x[k];
    const SplineNode& hi = x[k + 1];
    const float h = hi.x - lo.x;
    const float b = (temperature - lo.x) / h;
    const float a = 1.0f - b;
    const float h2 = h * h;
    const float result =
        a * lo.y + b * hi.y + ((a * a * a - a) * lo.y2 + (b * b * b - b) * hi.y2) * h2 * OneSixth;
    // A NaN (not even negative) would pass every check after this one.
    return std::isfinite(result) ? result : -1.0f;
}
