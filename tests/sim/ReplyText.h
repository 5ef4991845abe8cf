#pragma once

#include <cctype>
#include <string>
#include <vector>

// What the simulator answers to "*IDN?", without its line end.
inline const std::string Identity = "ARKTRONIC,TX-28,SN280417,1.4.2";

// The pieces of a reply split at `separator`, empty pieces kept.
inline std::vector<std::string> Fields(const std::string& text, char separator) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(separator, start);
        fields.push_back(text.substr(start, end - start));
        if (end == std::string::npos) {
            return fields;
        }
        start = end + 1;
    }
}

inline bool AllDigits(const std::string& text) {
    if (text.empty()) {
        return false;
    }
    for (const char c : text) {
        if (std::isdigit(static_cast<unsigned char>(c)) == 0) {
            return false;
        }
    }
    return true;
}

// A number with a fixed count of decimals: "45.20" has two.
inline bool LooksLikeFixed(const std::string& text, std::size_t decimals) {
    const std::size_t start = !text.empty() && text[0] == '-' ? 1 : 0;
    const std::size_t point = text.find('.');
    return point != std::string::npos && point + 1 + decimals == text.size() &&
           AllDigits(text.substr(start, point - start)) && AllDigits(text.substr(point + 1));
}

// A temperature reading as the instrument writes it: "77.3412", "-195.8000".
inline bool LooksLikeReading(const std::string& text) {
    return LooksLikeFixed(text, 4);
}
