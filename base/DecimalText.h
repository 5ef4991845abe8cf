#pragma once

#include <optional>
#include <string>
#include <string_view>

// Numbers in settings, files and the texts the utility writes are read and
// written with a "." whatever the user's locale: the GUI runs in the user's
// locale, in which the C library would read "2.5" as 2 and write 2.5 as "2,5".

// The number at the start of `text` (after blanks, an optional "+" or "-");
// what follows it is ignored, as strtod ignores it. Nothing when no number is
// there or it is not finite.
std::optional<double> ParseDecimal(std::string_view text);

// A field that is one finite number and nothing else: blanks around it and
// a leading "+" are allowed.
std::optional<double> FieldNumber(std::string_view field);

// strtof in the C locale. ParseNumber: the whole token is one finite number
// that fits a float. ParseLeadingNumber: a finite number at the start of the
// text (after blanks); the rest is ignored.
bool ParseNumber(std::string_view token, float& value);
bool ParseLeadingNumber(std::string_view text, float& value);
// What a "%f" scan reads, in the C locale: a number at the start of the text
// (after white space), NaN and the infinities included; the rest is ignored.
bool ScanFloat(std::string_view text, float& value);
// A decimal integer at the start of the text (after blanks); the rest is ignored.
bool ParseLeadingInteger(std::string_view text, long& value);
// The decimal integer at the start of `text` as atoi reads it (blanks, one
// sign, digits up to the first other character), held within -INT_MAX to
// INT_MAX; 0 when there is none. "12\r\n" is 12, "1e3" is 1.
int LeadingInteger(std::string_view text);

// `value` as printf's "%*.*f" writes it: right-aligned in `width` characters,
// exactly `decimals` digits after the ".". FormatDecimal(2.5, 1) is "2.5".
std::string FormatDecimal(double value, int decimals, int width = 0);
// printf's "%.*g": FormatGeneral(0.1, 15) is "0.1", FormatGeneral(30, 15) is "30".
std::string FormatGeneral(double value, int digits);
// General notation with `digits` significant digits, trailing zeros kept
// (printf's "%#.*g"): 1 with 8 digits is "1.0000000".
std::string FormatNumber(float value, int digits);

// The shortest text that reads back as the same float: 0.1f is "0.1".
std::string FormatShortest(float value);

// printf into a string in the C locale, for texts with numbers in them
// ("%10.6fK is not within ...").
std::string CFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
