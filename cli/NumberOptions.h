#pragma once

#include <string>
#include <string_view>

// The numbers a user gives tundrix-cli. Each is one finite number within its
// range, bounds included, written with a "." whatever the locale; blanks
// around it and a "+" before it are allowed. Each gives "" and sets the value,
// or the refusal, which names the option, the text as given and the range
// ("--count 0: not a whole number from 1 to 2147483647") and leaves the value
// alone.

// A count of readings or entries: 1 to INT_MAX.
std::string ParseCountOption(std::string_view option, std::string_view text, int& count);

// A number of seconds from `low` to `high`.
std::string ParseSecondsOption(std::string_view option, std::string_view text, double low,
                               double high, double& seconds);
