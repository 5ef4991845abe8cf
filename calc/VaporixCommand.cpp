#include "calc/VaporixCommand.h"

#include <charconv>
#include <strings.h>

#include "calc/BoilingTemperature.h"
#include "calc/PressureField.h"

namespace {

// The position of `arg` in `texts`, by text or by index; -1 when neither.
template <std::size_t N>
int ListIndex(const std::array<const char*, N>& texts, const std::string& arg) {
    for (std::size_t i = 0; i < N; ++i)
        if (::strcasecmp(texts[i], arg.c_str()) == 0)
            return int(i);
    int index = -1;
    auto [end, error] = std::from_chars(arg.data(), arg.data() + arg.size(), index);
    if (error != std::errc{} || end != arg.data() + arg.size() || index < 0 || index >= int(N))
        return -1;
    return index;
}

template <std::size_t N>
std::string UsageError(const char* what, const std::string& arg,
                       const std::array<const char*, N>& texts) {
    std::string message = what + std::string(" \"") + arg + "\" is none of";
    for (std::size_t i = 0; i < N; ++i)
        message += (i ? ", \"" : " \"") + std::string(texts[i]) + "\"";
    return message + " (or 0.." + std::to_string(N - 1) + ")";
}

} // namespace

int RunVaporixCommand(const std::string& liquid, const std::string& pressure,
                      const std::string& pressureUnit, const std::string& temperatureUnit,
                      std::string& out, std::string& error) {
    const int liquidIndex = ListIndex(LiquidNames, liquid);
    const int pressureUnitIndex = ListIndex(PressureUnitNames, pressureUnit);
    const int temperatureUnitIndex = ListIndex(TemperatureUnitNames, temperatureUnit);
    if (liquidIndex < 0)
        error = UsageError("LIQUID", liquid, LiquidNames);
    else if (pressureUnitIndex < 0)
        error = UsageError("PUNIT", pressureUnit, PressureUnitNames);
    else if (temperatureUnitIndex < 0)
        error = UsageError("TUNIT", temperatureUnit, TemperatureUnitNames);
    if (!error.empty())
        return 2;

    double value = 0;
    error = ParsePressure(pressure, value);
    if (!error.empty())
        return 1;
    std::string text;
    if (!ComputeBoilingTemperature(liquidIndex, value, pressureUnitIndex, temperatureUnitIndex,
                                   text)) {
        error = text;
        return 1;
    }
    out = text;
    return 0;
}
