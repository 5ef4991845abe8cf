#include "comm/Identify.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

std::string ModelTextFromIdn(std::string_view reply) {
    auto first = reply.find(',');
    if (first == std::string_view::npos)
        return {};
    auto second = reply.find(',', first + 1);
    if (second == std::string_view::npos)
        return {};
    return std::string(reply.substr(0, second));
}

std::optional<int> ParseModelCode(std::string_view reply) {
    // The instrument's text ends at its first NUL; more than 259 characters are not read.
    char text[260] = {};
    reply = reply.substr(0, reply.find('\0'));
    std::memcpy(text, reply.data(), std::min(reply.size(), sizeof text - 1));
    int code = 0;
    unsigned long serial = 0;
    unsigned a = 0, b = 0, c = 0, d = 0;
    int last = 0;
    if (std::sscanf(text, "%d,%lu,%u,%u,%u,%u,%d", &code, &serial, &a, &b, &c, &d, &last) != 7)
        return std::nullopt;
    if (code < 27 || code > 35)
        return std::nullopt;
    return code;
}
