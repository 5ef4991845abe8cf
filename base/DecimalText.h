#pragma once

#include <optional>
#include <string>
#include <string_view>

// Numbers in settings and files are written with a "." whatever the user's
// locale: the GUI runs in the user's locale, in which the C library would read
// "2.5" as 2 and write 2.5 as "2,5".

// The number at the start of `text` (after blanks, an optional "+" or "-");
// what follows it is ignored, as strtod ignores it. Nothing when no number is
// there or it is not finite.
std::optional<double> ParseDecimal(std::string_view text);

// `value` with exactly `decimals` digits after the ".": FormatDecimal(2.5, 1) is "2.5".
std::string FormatDecimal(double value, int decimals);
