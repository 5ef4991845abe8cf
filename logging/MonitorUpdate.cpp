#include "logging/MonitorUpdate.h"

#include <charconv>
#include <cmath>
#include <limits>

MonitorUpdate PlanMonitorUpdate(std::string_view unit, std::string_view name,
                                const MonitorReading& reading) {
    MonitorUpdate update;
    update.clear = reading.unit != unit;
    update.retitle = update.clear || reading.name != name;
    update.value = MonitorValue(reading.value);
    return update;
}

float MonitorValue(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || (text.front() >= '\t' && text.front() <= '\r')))
        text.remove_prefix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    // Decimal digits only: no "inf", "nan" or hexadecimal.
    if (text.empty() || !((text.front() >= '0' && text.front() <= '9') || text.front() == '.'))
        return 0.0f;
    double value = 0.0;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || !(std::fabs(value) <= std::numeric_limits<float>::max()))
        return 0.0f;
    return static_cast<float>(negative ? -value : value);
}
