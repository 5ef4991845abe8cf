#pragma once

#include <string>
#include <string_view>
#include <vector>

// Numbers and words of curve files. Numbers are read and written with a "."
// whatever the user's locale: the GUI runs in the user's locale, in which the C
// library might otherwise write and expect a decimal comma.

// The whole token is one finite number that fits a float.
bool ParseNumber(std::string_view token, float& value);
// A finite number at the start of the text (after blanks); the rest is ignored.
bool ParseLeadingNumber(std::string_view text, float& value);
// A decimal integer at the start of the text (after blanks); the rest is ignored.
bool ParseLeadingInteger(std::string_view text, long& value);
// General notation with `digits` significant digits, trailing zeros kept
// (printf's "%#.*g"): 1 with 8 digits is "1.0000000".
std::string FormatNumber(float value, int digits);
// printf's "%f", six decimals: 1 is "1.000000".
std::string FormatFixed(float value);

// The non-empty pieces of `line` between any of the `separators`.
std::vector<std::string_view> SplitTokens(std::string_view line, std::string_view separators);
std::string ToUpperAscii(std::string_view text);
bool ContainsIgnoringCase(std::string_view text, std::string_view word);
