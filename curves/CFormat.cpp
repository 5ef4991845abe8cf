#include "curves/CFormat.h"

#include <cstdarg>
#include <cstdio>
#include <locale.h>

namespace {

locale_t CLocale() {
    static const locale_t c = ::newlocale(LC_ALL_MASK, "C", locale_t{});
    return c;
}

} // namespace

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
