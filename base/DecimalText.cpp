#include "base/DecimalText.h"

#include <charconv>
#include <cmath>

std::optional<double> ParseDecimal(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    // from_chars takes a "-" but not a "+".
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double value = 0.0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end == text.data() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string FormatDecimal(double value, int decimals) {
    char buffer[400];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      std::chars_format::fixed, decimals < 0 ? 0 : decimals);
    return error == std::errc() ? std::string(buffer, end) : std::string();
}
