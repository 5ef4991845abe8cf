#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

#include "curves/CorrectCurve.h"
#include "curves/InterpolateCurve.h"

namespace {

// A natural cubic spline in double precision, solved here from the moment
// equations h[i-1] M[i-1] + 2 (h[i-1] + h[i]) M[i] + h[i] M[i+1] = 6 (d[i] - d[i-1]),
// M at both ends 0, by plain Gaussian elimination of the tridiagonal system.
class ReferenceSpline {
public:
    ReferenceSpline(std::vector<double> x, std::vector<double> y)
        : x_(std::move(x)), y_(std::move(y)), m_(x_.size(), 0.0) {
        const std::size_t n = x_.size();
        const std::size_t inner = n - 2;
        std::vector<double> lower(inner), diagonal(inner), upper(inner), right(inner);
        for (std::size_t r = 0; r < inner; ++r) {
            const std::size_t i = r + 1;
            const double hl = x_[i] - x_[i - 1];
            const double hr = x_[i + 1] - x_[i];
            lower[r] = hl;
            diagonal[r] = 2.0 * (hl + hr);
            upper[r] = hr;
            right[r] = 6.0 * ((y_[i + 1] - y_[i]) / hr - (y_[i] - y_[i - 1]) / hl);
        }
        for (std::size_t r = 1; r < inner; ++r) {
            const double factor = lower[r] / diagonal[r - 1];
            diagonal[r] -= factor * upper[r - 1];
            right[r] -= factor * right[r - 1];
        }
        for (std::size_t r = inner; r-- > 0;)
            m_[r + 1] = (right[r] - (r + 1 < inner ? upper[r] * m_[r + 2] : 0.0)) / diagonal[r];
    }

    double At(double t) const {
        std::size_t k = 0;
        while (t > x_[k + 1])
            ++k;
        const double h = x_[k + 1] - x_[k];
        const double left = x_[k + 1] - t;
        const double right = t - x_[k];
        return m_[k] * left * left * left / (6 * h) + m_[k + 1] * right * right * right / (6 * h) +
               (y_[k] / h - m_[k] * h / 6) * left + (y_[k + 1] / h - m_[k + 1] * h / 6) * right;
    }

private:
    std::vector<double> x_, y_, m_;
};

// A smooth diode-like curve: the value falls with temperature, faster when cold.
double Smooth(double t) {
    return 1.4 - 0.0016 * t + 0.4 * std::exp(-t / 40.0);
}

// Temperatures of the nodes, unevenly spaced, listed hot to cold as makers list them.
std::vector<float> NodeTemperatures() {
    std::vector<float> t;
    for (int i = 0; i < 16; ++i)
        t.push_back(static_cast<float>(1.4 + 473.6 * std::pow(1.0 - i / 15.0, 1.7)));
    return t;
}

CalCurve SmoothCurve() {
    CalCurve curve;
    for (float t : NodeTemperatures())
        curve.points.push_back({static_cast<float>(Smooth(t)), t});
    return curve;
}

CalCurve Curve(std::vector<CalPoint> points) {
    CalCurve curve;
    curve.points = std::move(points);
    return curve;
}

} // namespace

TEST(InterpolateCurve, AgreesWithADoublePrecisionNaturalSplineToFloatPrecision) {
    CalCurve curve = SmoothCurve();
    // The reference works on exactly the float nodes, sorted.
    std::vector<std::pair<double, double>> nodes;
    for (const CalPoint& p : curve.points)
        nodes.emplace_back(p.temperature, p.value);
    std::sort(nodes.begin(), nodes.end());
    std::vector<double> x, y;
    for (auto [t, v] : nodes) {
        x.push_back(t);
        y.push_back(v);
    }
    const ReferenceSpline reference(x, y);

    double worst = 0;
    // Up and down the curve, so that the search moves both ways from its cursor.
    for (int pass = 0; pass < 2; ++pass)
        for (int i = 1; i <= 4000; ++i) {
            const int step = pass == 0 ? i : 4001 - i;
            const float t = static_cast<float>(1.4 + 473.6 * step / 4000.0);
            const float value = InterpolateCurve(t, curve);
            ASSERT_GT(value, 0.0f) << t;
            const double error = std::fabs(value - reference.At(t)) / reference.At(t);
            worst = std::max(worst, error);
        }
    // A few float roundings (one is 1.2e-7 of the value); on these 16 nodes
    // the curvature term matters: 0.1666 for a sixth is off by 1.2e-6.
    EXPECT_LT(worst, 5e-7);
}

TEST(InterpolateCurve, ReturnsEachNodesValueExceptAtTheLowestAndNothingOffTheCurve) {
    CalCurve curve = SmoothCurve();
    const std::vector<float> t = NodeTemperatures();
    const float lowest = *std::min_element(t.begin(), t.end());
    const float highest = *std::max_element(t.begin(), t.end());
    for (const CalPoint& p : std::vector<CalPoint>(curve.points)) {
        if (p.temperature == lowest)
            EXPECT_EQ(-1.0f, InterpolateCurve(p.temperature, curve));
        else
            EXPECT_EQ(p.value, InterpolateCurve(p.temperature, curve)) << p.temperature;
    }
    EXPECT_EQ(-1.0f, InterpolateCurve(std::nextafter(highest, 1000.0f), curve));
    EXPECT_EQ(-1.0f, InterpolateCurve(1000.0f, curve));
    EXPECT_EQ(-1.0f, InterpolateCurve(0.0f, curve));
    EXPECT_GT(InterpolateCurve(std::nextafter(lowest, 1000.0f), curve), 0.0f);
}

TEST(InterpolateCurve, BuildsOnFirstUseSortedAndSearchesFromTheLastInterval) {
    // Listed in no order; the nodes come out sorted by temperature.
    CalCurve curve = Curve({{1.0f, 100.0f},
                            {2.0f, 10.0f},
                            {1.5f, 50.0f},
                            {0.5f, 300.0f},
                            {1.2f, 77.0f},
                            {0.8f, 200.0f}});
    EXPECT_TRUE(curve.spline.empty());
    EXPECT_EQ(1.0f, InterpolateCurve(100.0f, curve));
    ASSERT_EQ(6u, curve.spline.size());
    const float sorted[] = {10, 50, 77, 100, 200, 300};
    for (std::size_t i = 0; i < 6; ++i)
        EXPECT_EQ(sorted[i], curve.spline[i].x);
    EXPECT_EQ(0.0f, curve.spline.front().y2);
    EXPECT_EQ(0.0f, curve.spline.back().y2);
    EXPECT_EQ(2, curve.cursor);
    InterpolateCurve(250.0f, curve);
    EXPECT_EQ(4, curve.cursor);
    InterpolateCurve(10.5f, curve);
    EXPECT_EQ(0, curve.cursor);
    // The points themselves keep the file's order.
    EXPECT_EQ(100.0f, curve.points[0].temperature);
}

TEST(InterpolateCurve, ThreeNodesGiveTheTextbookSpline) {
    // Natural spline through (0,0), (1,1), (2,0): M1 = -3, so at 0.5 the value
    // is 0.5 + (0.125 - 0.5) * (-3) / 6 = 0.6875.
    CalCurve curve = Curve({{0.0f, 0.0f}, {1.0f, 1.0f}, {0.0f, 2.0f}});
    EXPECT_FLOAT_EQ(0.6875f, InterpolateCurve(0.5f, curve));
    EXPECT_FLOAT_EQ(0.6875f, InterpolateCurve(1.5f, curve));
    EXPECT_EQ(-1.0f, InterpolateCurve(0.0f, curve));
    EXPECT_EQ(0.0f, InterpolateCurve(2.0f, curve));
}

TEST(InterpolateCurve, TooFewPointsOrTwoAtOneTemperatureGiveNoValue) {
    CalCurve two = Curve({{1.0f, 10.0f}, {0.5f, 300.0f}});
    EXPECT_EQ(-1.0f, InterpolateCurve(100.0f, two));
    CalCurve twice = Curve({{1.0f, 10.0f}, {0.9f, 50.0f}, {0.8f, 50.0f}, {0.5f, 300.0f}});
    for (float t : {20.0f, 50.0f, 100.0f, 300.0f})
        EXPECT_EQ(-1.0f, InterpolateCurve(t, twice)) << t;
}

namespace {

// A straight curve, v = 1.7 - 0.003 T, on which the spline is the line itself.
CalCurve Straight() {
    CalCurve curve;
    for (float t : {475.0f, 400.0f, 300.0f, 200.0f, 100.0f, 77.0f, 50.0f, 40.0f, 30.0f, 20.0f,
                    10.0f, 4.2f, 2.0f})
        curve.points.push_back({1.7f - 0.003f * t, t});
    return curve;
}

} // namespace

TEST(CorrectCurve, MovesThePointsByTheDifferenceOfTheTwoLinesWhereTheModeSays) {
    // Anchors (300 K, S + 0.03) and (30 K, S + 0.003): the correction is
    // 0.003 at 30 K and 0.03 at 300 K, 0.0001 per kelvin.
    struct Case {
        CorrectionMode mode;
        float t2;
        std::vector<bool> corrected; // per point of Straight(), in its order
    };
    const Case cases[] = {
        // 475 400 300 200 100 77 50 40 30 20 10 4.2 2
        {0, 30.0f, {1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0}},
        {1, 30.0f, {1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0}},
        {2, 30.0f, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
        {3, 30.0f, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
        // With T2 above 30 K mode 1 also keeps what lies below T2; with T2
        // below 30 K modes 2 and 3 keep what lies above 30 K.
        {1, 77.0f, {1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0}},
        {2, 20.0f, {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1}},
        {3, 20.0f, {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1}},
    };
    for (const Case& c : cases) {
        CalCurve source = Straight();
        const float s1 = 1.7f - 0.003f * 300.0f;
        const float s2 = 1.7f - 0.003f * c.t2;
        const float shift2 = 0.003f;
        const float slope = (0.03f - shift2) / (300.0f - c.t2);
        auto result = CorrectCurve(source, c.mode, 300.0f, s1 + 0.03f, c.t2, s2 + shift2);
        ASSERT_TRUE(result) << c.mode;
        ASSERT_EQ(source.Count(), result->Count());
        for (std::size_t i = 0; i < source.points.size(); ++i) {
            const CalPoint& in = source.points[i];
            const CalPoint& out = result->points[i];
            EXPECT_EQ(in.temperature, out.temperature);
            if (c.corrected[i])
                EXPECT_NEAR(in.value + shift2 + slope * (in.temperature - c.t2), out.value, 2e-6)
                    << "mode " << c.mode << " T2 " << c.t2 << " at " << in.temperature;
            else
                EXPECT_EQ(in.value, out.value)
                    << "mode " << c.mode << " T2 " << c.t2 << " at " << in.temperature;
        }
    }
}

TEST(CorrectCurve, RefusesAnchorsLessThan10KApartAndUnknownModes) {
    CalCurve source = Straight();
    EXPECT_FALSE(CorrectCurve(source, 0, 39.9f, 1.6f, 30.0f, 1.61f));
    EXPECT_FALSE(CorrectCurve(source, 0, 20.0f, 1.6f, 30.0f, 1.61f));
    EXPECT_TRUE(CorrectCurve(source, 0, 40.0f, 1.6f, 30.0f, 1.61f));
    EXPECT_FALSE(CorrectCurve(source, 4, 300.0f, 0.8f, 30.0f, 1.61f));
    EXPECT_FALSE(CorrectCurve(source, -1, 300.0f, 0.8f, 30.0f, 1.61f));
}
