#include "curves/BreakpointPlacement.h"

#include <algorithm>
#include <cmath>

namespace {

// Samples across a segment; the largest is then refined between its neighbours.
constexpr int Samples = 16;
constexpr int RefineSteps = 20;
// Steps of the searches for a segment's end and for the error every segment holds.
constexpr int EndSteps = 40;
constexpr int ErrorSteps = 40;
constexpr double GoldenRatio = 0.6180339887498949;

// The interpolated temperature minus the true one, at `kelvin`.
double ErrorAt(const ReadingOfKelvin& reading, double lowKelvin, double lowReading,
               double highKelvin, double highReading, double kelvin) {
    const double fraction = (reading(kelvin) - lowReading) / (highReading - lowReading);
    return lowKelvin + fraction * (highKelvin - lowKelvin) - kelvin;
}

// The segments that reach from `fromKelvin` to `toKelvin` with at most
// `error` each, every one as long as it can be, or nothing when more than
// `most` would be needed.
std::vector<double> GreedyBreakpoints(const ReadingOfKelvin& reading, double fromKelvin,
                                      double toKelvin, double error, int most) {
    std::vector<double> points{fromKelvin};
    double low = fromKelvin;
    double lowReading = reading(low);
    while (low < toKelvin) {
        if (static_cast<int>(points.size()) - 1 >= most)
            return {};
        const double toReading = reading(toKelvin);
        if (SegmentError(reading, low, lowReading, toKelvin, toReading) <= error) {
            points.push_back(toKelvin);
            break;
        }
        double fits = low;
        double fails = toKelvin;
        for (int step = 0; step < EndSteps; ++step) {
            const double middle = 0.5 * (fits + fails);
            if (SegmentError(reading, low, lowReading, middle, reading(middle)) <= error)
                fits = middle;
            else
                fails = middle;
        }
        // The end may not move below what the arithmetic can tell apart.
        if (fits <= low)
            fits = fails;
        points.push_back(fits);
        low = fits;
        lowReading = reading(low);
    }
    return points;
}

} // namespace

double SegmentError(const ReadingOfKelvin& reading, double lowKelvin, double lowReading,
                    double highKelvin, double highReading) {
    if (!(highReading > lowReading))
        return HUGE_VAL;
    const double width = highKelvin - lowKelvin;
    auto error = [&](double kelvin) {
        return std::fabs(ErrorAt(reading, lowKelvin, lowReading, highKelvin, highReading, kelvin));
    };
    int best = 0;
    double largest = -1.0;
    for (int i = 0; i <= Samples + 1; ++i) {
        const double e = error(lowKelvin + width * i / (Samples + 1));
        if (e > largest) {
            largest = e;
            best = i;
        }
    }
    // Golden section between the neighbours of the largest sample.
    double a = lowKelvin + width * std::max(best - 1, 0) / (Samples + 1);
    double b = lowKelvin + width * std::min(best + 1, Samples + 1) / (Samples + 1);
    double c = b - GoldenRatio * (b - a);
    double d = a + GoldenRatio * (b - a);
    double ec = error(c);
    double ed = error(d);
    for (int step = 0; step < RefineSteps; ++step) {
        if (ec > ed) {
            b = d;
            d = c;
            ed = ec;
            c = b - GoldenRatio * (b - a);
            ec = error(c);
        } else {
            a = c;
            c = d;
            ec = ed;
            d = a + GoldenRatio * (b - a);
            ed = error(d);
        }
    }
    return std::max({largest, ec, ed});
}

double LargestInterpolationError(const ReadingOfKelvin& reading, const std::vector<double>& kelvin,
                                 const std::vector<double>& readings) {
    double largest = 0.0;
    for (std::size_t i = 0; i + 1 < kelvin.size() && i + 1 < readings.size(); ++i)
        largest = std::max(
            largest, SegmentError(reading, kelvin[i], readings[i], kelvin[i + 1], readings[i + 1]));
    return largest;
}

std::vector<double> EqualErrorBreakpoints(const ReadingOfKelvin& reading, double fromKelvin,
                                          double toKelvin, int count) {
    const int segments = std::max(count - 1, 1);
    // The smallest error that `segments` greedy segments reach, searched on a
    // logarithmic scale between one segment's error and a billionth of it.
    double fails =
        SegmentError(reading, fromKelvin, reading(fromKelvin), toKelvin, reading(toKelvin));
    std::vector<double> best = {fromKelvin, toKelvin};
    if (segments == 1 || fails == 0.0)
        return best;
    double fits = fails;
    fails *= 1e-9;
    for (int step = 0; step < ErrorSteps && fits > fails * 1.0001; ++step) {
        const double middle = std::sqrt(fits * fails);
        auto points = GreedyBreakpoints(reading, fromKelvin, toKelvin, middle, segments);
        if (points.empty()) {
            fails = middle;
        } else {
            fits = middle;
            best = std::move(points);
        }
    }
    // Points the greedy walk did not need halve the segments with the largest error.
    while (static_cast<int>(best.size()) < count) {
        std::size_t worst = 0;
        double largest = -1.0;
        for (std::size_t i = 0; i + 1 < best.size(); ++i) {
            const double e =
                SegmentError(reading, best[i], reading(best[i]), best[i + 1], reading(best[i + 1]));
            if (e > largest) {
                largest = e;
                worst = i;
            }
        }
        best.insert(best.begin() + static_cast<std::ptrdiff_t>(worst) + 1,
                    0.5 * (best[worst] + best[worst + 1]));
    }
    return best;
}

std::vector<double> EvenBreakpoints(double fromKelvin, double toKelvin, int count) {
    std::vector<double> points;
    const int n = std::max(count, 2);
    points.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        points.push_back(i == n - 1 ? toKelvin
                                    : fromKelvin + (toKelvin - fromKelvin) * i / (n - 1));
    return points;
}
