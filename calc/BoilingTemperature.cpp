#include "calc/BoilingTemperature.h"

#include <charconv>
#include <cmath>

namespace {

// Factors to mmHg, by pressure unit. inHg is the calculator's own 25.394204,
// not 25.4: 29.92 inHg must stay 759.79 mmHg.
constexpr std::array<double, 5> ToMmHg{1.0, 25.394204, 760.0, 760.0 / 14.696, 1.0};

// Rows 0..3: Antoine constants A, B, C for ln(P / mmHg) = A - B / (T / K + C).
// Row 4: slope and intercept of the helium line T = slope * P + intercept.
constexpr double Coefficients[5][3] = {
    {18.3036, 3816.44, -46.13}, // Water
    {18.9119, 3803.98, -41.68}, // Ethyl Alcohol
    {22.5898, 3103.39, -0.16},  // Carbon Dioxide
    {14.9542, 588.72, -6.6},    // Nitrogen
    {0.0014392, 3.12043, 0.0},  // Helium 2
};
constexpr int Helium = 4;

// "%10.4f" without the C library's printf, whose decimal point follows the
// process locale (a GUI program runs in the user's locale).
std::string FormatTemperature(double value) {
    char buffer[400];
    auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 4);
    std::string digits = error == std::errc{} ? std::string(buffer, end) : std::string("overflow");
    if (digits.size() < 10)
        digits.insert(0, 10 - digits.size(), ' ');
    return digits;
}

} // namespace

bool ComputeBoilingTemperature(int liquid, double pressure, int pressureUnit, int temperatureUnit,
                               std::string& text) {
    if (pressure == 0) {
        text = "Enter Pressure before calculate.";
        return false;
    }
    if (pressureUnit < 0 || pressureUnit >= int(ToMmHg.size())) {
        text = "Unknown pressure unit";
        return false;
    }
    if (liquid < 0 || liquid >= int(LiquidNames.size())) {
        text = "Unknown liquid";
        return false;
    }
    const double p = pressure * ToMmHg[std::size_t(pressureUnit)];
    const double* row = Coefficients[liquid];

    double kelvin;
    if (liquid == Helium) {
        kelvin = row[0] * p + row[1];
    } else {
        const double a = row[0], b = row[1], c = row[2];
        const double l = std::log(p);
        kelvin = -(a * c - b - c * l) / (a - l);
    }

    double value;
    switch (temperatureUnit) {
    case 0:
        value = kelvin;
        break;
    case 1:
        value = kelvin - 273.15;
        break;
    case 2:
        value = (kelvin - 273.15) * 1.8 + 32;
        break;
    default:
        text = "Unkown Temperature Unit";
        return false;
    }
    text = FormatTemperature(value);
    return true;
}
