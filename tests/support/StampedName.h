#pragma once

#include <ctime>
#include <string>

// Whether `name` is "<stem>_YYYYMMDD_HHMMSS.<extension>" for a local time
// from `before` to `after`, seconds included.
inline bool IsStampedBetween(const std::string& name, const std::string& stem,
                             const std::string& extension, std::time_t before, std::time_t after) {
    for (std::time_t when = before; when <= after; ++when) {
        std::tm local{};
        char stamp[32];
        if (::localtime_r(&when, &local) == nullptr ||
            std::strftime(stamp, sizeof stamp, "_%Y%m%d_%H%M%S.", &local) == 0)
            return false;
        if (name == stem + stamp + extension)
            return true;
    }
    return false;
}
