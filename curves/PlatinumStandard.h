#pragma once

// Industrial platinum resistance thermometers as IEC 60751:2008 defines them:
// the Callendar-Van Dusen equation with the standard's A, B and C, for any
// resistance at 0 °C (100, 500 and 1000 ohm are the usual ones).

// The range the standard covers, in kelvin: -200 °C to 850 °C.
inline constexpr double PlatinumLowestKelvin = 73.15;
inline constexpr double PlatinumHighestKelvin = 1123.15;

// The resistance in ohm at `kelvin` of a resistor of `r0` ohm at 0 °C.
// Outside the standard's range the equation is evaluated all the same.
double PlatinumResistance(double r0, double kelvin);
