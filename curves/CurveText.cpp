#include "curves/CurveText.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
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

char UpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

} // namespace

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

std::string FormatNumber(float value, int digits) {
    char buffer[64];
    locale_t previous = CLocale() ? ::uselocale(CLocale()) : locale_t{};
    std::snprintf(buffer, sizeof buffer, "%#.*g", digits, static_cast<double>(value));
    if (previous)
        ::uselocale(previous);
    return buffer;
}

std::string FormatFixed(float value) {
    // "%f" of the largest float takes 46 characters.
    char buffer[64];
    locale_t previous = CLocale() ? ::uselocale(CLocale()) : locale_t{};
    std::snprintf(buffer, sizeof buffer, "%f", static_cast<double>(value));
    if (previous)
        ::uselocale(previous);
    return buffer;
}

std::vector<std::string_view> SplitTokens(std::string_view line, std::string_view separators) {
    std::vector<std::string_view> tokens;
    std::size_t start = 0;
    while ((start = line.find_first_not_of(separators, start)) != std::string_view::npos) {
        std::size_t end = line.find_first_of(separators, start);
        if (end == std::string_view::npos)
            end = line.size();
        tokens.push_back(line.substr(start, end - start));
        start = end;
    }
    return tokens;
}

std::string ToUpperAscii(std::string_view text) {
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(), UpperAscii);
    return upper;
}

bool ContainsIgnoringCase(std::string_view text, std::string_view word) {
    return ToUpperAscii(text).find(ToUpperAscii(word)) != std::string::npos;
}
