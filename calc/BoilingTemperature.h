#pragma once

#include <array>
#include <string>

// The boiling temperature of a pure liquid at a given vapor pressure, as the
// Vaporix calculator shows it. Indices are the positions in the calculator's
// three lists; the texts below are those lists.

inline constexpr std::array<const char*, 5> LiquidNames{"Water", "Ethyl Alcohol", "Carbon Dioxide",
                                                        "Nitrogen", "Helium 2"};
inline constexpr std::array<const char*, 5> PressureUnitNames{"mmHg", "inHg", "ATM", "psia",
                                                              "Torr"};
inline constexpr std::array<const char*, 3> TemperatureUnitNames{"K", "C", "F"};

// Computes the boiling temperature in kelvin, converts it to the temperature
// unit and formats it "%10.4f" (right-aligned in ten characters). Returns true
// with that text, or false with the message the caller shows in a message box:
//   "Enter Pressure before calculate."  the pressure is exactly 0
//   "Unknown pressure unit"             pressure unit outside 0..4
//   "Unknown liquid"                    liquid outside 0..4
//   "Unkown Temperature Unit"           temperature unit outside 0..2
// The caller keeps the pressure within 0..1000 of its unit (see PressureField.h);
// within that range every result is finite.
bool ComputeBoilingTemperature(int liquid, double pressure, int pressureUnit, int temperatureUnit,
                               std::string& text);
