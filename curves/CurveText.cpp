#include "curves/CurveText.h"

#include <algorithm>

namespace {

char UpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

} // namespace

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

std::string WithoutTabs(std::string_view text) {
    std::string without(text);
    std::erase(without, '\t');
    return without;
}
