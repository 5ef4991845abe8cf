#pragma once

#include <string>
#include <string_view>
#include <vector>

// The words of curve files; their numbers are read and written by base/DecimalText.h.

// The non-empty pieces of `line` between any of the `separators`.
std::vector<std::string_view> SplitTokens(std::string_view line, std::string_view separators);
std::string ToUpperAscii(std::string_view text);
bool ContainsIgnoringCase(std::string_view text, std::string_view word);
// The text with its tabs taken out: where a tab separates fields like a blank.
std::string WithoutTabs(std::string_view text);
