#include "base/DecimalText.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <locale.h>

namespace {

locale_t CLocale() {
    static const locale_t c = ::newlocale(LC_ALL_MASK, "C", locale_t{});
    return c;
}

// strtof in the C locale; `end` is the number of characters taken.
bool ReadFloat(const std::string& text, float& value, std::size_t& end) {
    char* stop = nullptr;
    errno = 0;
    float number =
        CLocale() ? ::strtof_l(text.c_str(), &stop, CLocale()) : std::strtof(text.c_str(), &stop);
    end = static_cast<std::size_t>(stop - text.c_str());
    // Underflow also sets ERANGE but still gives a usable number; overflow does not.
    if (end == 0 || !std::isfinite(number))
        return false;
    value = number;
    return true;
}

} // namespace

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

std::optional<double> FieldNumber(std::string_view field) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!field.empty() && blank(field.front()))
        field.remove_prefix(1);
    while (!field.empty() && blank(field.back()))
        field.remove_suffix(1);
    if (!field.empty() && field.front() == '+')
        field.remove_prefix(1);
    double value = 0.0;
    const char* end = field.data() + field.size();
    const auto [stop, error] = std::from_chars(field.data(), end, value);
    if (field.empty() || error != std::errc() || stop != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

bool ParseNumber(std::string_view token, float& value) {
    // strtof would skip leading white space; a token has none.
    if (token.empty() ||
        std::string_view(" \t\n\v\f\r").find(token.front()) != std::string_view::npos)
        return false;
    std::string text(token);
    std::size_t end = 0;
    float number = 0.0f;
    if (!ReadFloat(text, number, end) || end != text.size())
        return false;
    value = number;
    return true;
}

bool ParseLeadingNumber(std::string_view text, float& value) {
    std::size_t end = 0;
    return ReadFloat(std::string(text), value, end);
}

bool ScanFloat(std::string_view text, float& value) {
    const std::string copy(text);
    char* stop = nullptr;
    const float number =
        CLocale() ? ::strtof_l(copy.c_str(), &stop, CLocale()) : std::strtof(copy.c_str(), &stop);
    if (stop == copy.c_str())
        return false;
    value = number;
    return true;
}

bool ParseLeadingInteger(std::string_view text, long& value) {
    std::string copy(text);
    char* stop = nullptr;
    errno = 0;
    long number = std::strtol(copy.c_str(), &stop, 10);
    if (stop == copy.c_str() || errno == ERANGE)
        return false;
    value = number;
    return true;
}

int LeadingInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        ++i;
    long long value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
        value = std::min<long long>(INT_MAX, value * 10 + (text[i] - '0'));
    return static_cast<int>(negative ? -value : value);
}

std::string FormatDecimal(double value, int decimals, int width) {
    // Wide enough for the largest double in fixed notation with the decimals
    // the utility writes; printf takes over beyond that.
    char buffer[400];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      std::chars_format::fixed, decimals < 0 ? 0 : decimals);
    std::string text = error == std::errc() ? std::string(buffer, end)
                                            : CFormat("%.*f", decimals < 0 ? 0 : decimals, value);
    if (width > 0 && text.size() < static_cast<std::size_t>(width))
        text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
    return text;
}

std::string FormatGeneral(double value, int digits) {
    char buffer[64];
    auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits);
    return error == std::errc() ? std::string(buffer, end) : CFormat("%.*g", digits, value);
}

std::string FormatNumber(float value, int digits) {
    return CFormat("%#.*g", digits, static_cast<double>(value));
}

std::string FormatShortest(float value) {
    char buffer[32];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return error == std::errc() ? std::string(buffer, end) : std::string();
}

std::string CFormat(const char* format, ...) {
    locale_t previous = CLocale() ? ::uselocale(CLocale()) : locale_t{};
    std::va_list args;
    va_start(args, format);
    std::va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text;
    if (length > 0) {
        text.resize(static_cast<std::size_t>(length));
        std::vsnprintf(text.data(), text.size() + 1, format, again);
    }
    va_end(again);
    if (previous)
        ::uselocale(previous);
    return text;
}
