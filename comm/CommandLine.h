#pragma once

#include <string_view>

// A line is a query, and a reply is read, only when its first "?" is not its
// first character: "*IDN?" is a query; "?X" and "INTYPE A,1" are not.
inline bool IsQueryLine(std::string_view line) {
    auto mark = line.find('?');
    return mark != std::string_view::npos && mark != 0;
}
