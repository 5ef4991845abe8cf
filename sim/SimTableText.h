#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A decimal integer that is the whole text, sign allowed; nothing otherwise.
std::optional<int> ParseSimInteger(std::string_view text);

// The reply to a table query: the lines joined by CR LF, then CR LF and ";".
std::string SimTableReply(const std::vector<std::string>& lines);
