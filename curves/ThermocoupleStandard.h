#pragma once

#include <string_view>

// The letter-designated thermocouple types and their emf as the NIST ITS-90
// reference functions give it: millivolts against a reference junction at 0 °C.
enum class ThermocoupleType { E, J, K, N, T, R, S, B };

// The range of one type's reference function, in kelvin.
struct ThermocoupleRange {
    double lowestKelvin;
    double highestKelvin;
};

ThermocoupleRange RangeOf(ThermocoupleType type);
// "E", "J", "K", ...
std::string_view LetterOf(ThermocoupleType type);

// The emf in millivolts at `kelvin`; outside the type's range the nearest
// piece of the reference function is evaluated all the same.
double ThermocoupleEmf(ThermocoupleType type, double kelvin);
