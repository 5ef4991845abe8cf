#include "sim/SimTableText.h"

#include <charconv>

std::optional<int> ParseSimInteger(std::string_view text) {
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

std::string SimTableReply(const std::vector<std::string>& lines) {
    std::string reply;
    for (const std::string& line : lines)
        reply += line + "\r\n";
    return reply + ";";
}
