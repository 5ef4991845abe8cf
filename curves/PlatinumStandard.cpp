#include "curves/PlatinumStandard.h"

namespace {

// IEC 60751:2008, Callendar-Van Dusen coefficients of industrial platinum resistors.
constexpr double A = 3.9083e-3;
constexpr double B = -5.775e-7;
constexpr double C = -4.183e-12; // below 0 °C only

constexpr double ZeroCelsius = 273.15;

} // namespace

double PlatinumResistance(double r0, double kelvin) {
    const double t = kelvin - ZeroCelsius;
    double ratio = 1.0 + A * t + B * t * t;
    if (t < 0.0)
        ratio += C * (t - 100.0) * t * t * t;
    return r0 * ratio;
}
