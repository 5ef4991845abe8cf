#pragma once

#include <string>
#include <string_view>

// The pressure field of the calculator: a number from 0 to 1000 inclusive in
// the chosen unit, read in the C locale ("1.5", never "1,5"), surrounding
// blanks allowed. Returns "" and sets `pressure`, or the standard validation
// message and leaves `pressure` alone:
//   "Enter a number."                     not a number
//   "Enter a number between 0 and 1000."  outside the range (NaN and infinities too)
std::string ParsePressure(std::string_view text, double& pressure);

inline constexpr double MaxPressure = 1000;
