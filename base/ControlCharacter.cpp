#include "base/ControlCharacter.h"

#include <cstdio>

std::optional<std::string> ControlCharacterIn(std::string_view text) {
    for (unsigned char c : text)
        if (c < 0x20 || c == 0x7F) {
            char code[8];
            std::snprintf(code, sizeof code, "0x%02X", c);
            return std::string(code);
        }
    return std::nullopt;
}
