#include "cli/NumberOptions.h"

#include <charconv>
#include <climits>
#include <cmath>

#include "base/DecimalText.h"

namespace {

// The text without the blanks around it and without a "+" before the number.
std::string_view NumberText(std::string_view text) {
    constexpr std::string_view Blanks = " \t";
    const auto first = text.find_first_not_of(Blanks);
    if (first == std::string_view::npos)
        return {};
    text = text.substr(first, text.find_last_not_of(Blanks) - first + 1);
    if (text.size() > 1 && text[0] == '+' && text[1] != '-')
        text.remove_prefix(1);
    return text;
}

// The whole text is the number.
template <typename Number> bool ParseWhole(std::string_view text, Number& value) {
    text = NumberText(text);
    Number number{};
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size())
        return false;
    value = number;
    return true;
}

std::string Refusal(std::string_view option, std::string_view text, const char* what,
                    const std::string& low, const std::string& high) {
    return std::string(option) + " " + std::string(text) + ": not " + what + " from " + low +
           " to " + high;
}

} // namespace

std::string ParseCountOption(std::string_view option, std::string_view text, int& count) {
    int number = 0;
    if (!ParseWhole(text, number) || number < 1)
        return Refusal(option, text, "a whole number", "1", std::to_string(INT_MAX));
    count = number;
    return {};
}

std::string ParseSecondsOption(std::string_view option, std::string_view text, double low,
                               double high, double& seconds) {
    double number = 0.0;
    if (!ParseWhole(text, number) || !std::isfinite(number) || number < low || number > high)
        return Refusal(option, text, "a number of seconds", FormatGeneral(low, 15),
                       FormatGeneral(high, 15));
    seconds = number;
    return {};
}
