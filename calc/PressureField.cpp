#include "calc/PressureField.h"

#include <charconv>

std::string ParsePressure(std::string_view text, double& pressure) {
    constexpr std::string_view Blanks = " \t\r\n";
    const auto first = text.find_first_not_of(Blanks);
    text = first == std::string_view::npos
               ? std::string_view()
               : text.substr(first, text.find_last_not_of(Blanks) - first + 1);
    if (text.size() > 1 && text[0] == '+' && text[1] != '-')
        text.remove_prefix(1);

    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || end != text.data() + text.size() ||
        (error != std::errc{} && error != std::errc::result_out_of_range))
        return "Enter a number.";
    // Out of range is an overflow, or an underflow ("1e-400"), which is 0 for a double.
    if (error == std::errc::result_out_of_range)
        value =
            text.find("e-") != std::string_view::npos || text.find("E-") != std::string_view::npos
                ? 0.0
                : MaxPressure * 2;
    if (!(value >= 0 && value <= MaxPressure))
        return "Enter a number between 0 and 1000.";
    pressure = value;
    return {};
}
