#include "logging/LogSources.h"

#include <cctype>
#include <string>

#include "comm/FeatureTable.h"

int LogSourceGroupOf(int index) {
    return index < LogSourceGroupStart[1] ? 0 : index < LogSourceGroupStart[2] ? 1 : 2;
}

bool IsSourceRecorded(int index, const CFeatureTable& features) {
    switch (index) {
    case 0:
    case 1:
    case 2:
    case 3:
        return true;
    case 4:
    case 5:
    case 6:
    case 7:
        return features.Has8Inputs();
    case 8:
    case 9:
    case 12:
    case 13:
        return features.IsClass2();
    case 10:
    case 14:
        return features.IsClass2() && features.HasAnalogKind3Or4();
    case 11:
    case 15:
        return features.IsClass2() && features.HasAnalogKind4();
    default:
        return false;
    }
}

std::array<int, LogSourceCount> SourceEnableFlags(const CFeatureTable& features) {
    const bool known = features.IsModelKnown();
    std::array<int, LogSourceCount> flags{};
    for (int i = 0; i < LogSourceCount; ++i) {
        bool enabled = false;
        if (i < 2)
            enabled = known;
        else if (i < 4)
            enabled = known && features.Has4Or8Inputs();
        else if (i < 8)
            enabled = known && features.Has8Inputs();
        else
            enabled = IsSourceRecorded(i, features);
        flags[static_cast<std::size_t>(i)] = enabled ? 1 : 0;
    }
    return flags;
}

std::optional<int> FindLogSource(std::string_view cliName) {
    auto same = [](std::string_view a, std::string_view b) {
        if (a.size() != b.size())
            return false;
        for (std::size_t i = 0; i < a.size(); ++i)
            if (std::tolower(static_cast<unsigned char>(a[i])) !=
                std::tolower(static_cast<unsigned char>(b[i])))
                return false;
        return true;
    };
    for (int i = 0; i < LogSourceCount; ++i)
        if (same(cliName, LogSources[static_cast<std::size_t>(i)].cliName))
            return i;
    return std::nullopt;
}

std::optional<std::uint16_t> ParseLogSources(const std::string& list,
                                             const std::array<int, LogSourceCount>& enabled,
                                             std::string& error) {
    std::uint16_t mask = 0;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = list.find(',', start);
        const std::string name = list.substr(start, comma - start);
        if (name == "all" || name == "ALL") {
            for (int i = 0; i < LogSourceCount; ++i)
                if (enabled[static_cast<std::size_t>(i)] != 0)
                    mask = static_cast<std::uint16_t>(mask | (1u << i));
        } else if (auto index = FindLogSource(name)) {
            if (enabled[static_cast<std::size_t>(*index)] == 0) {
                error = "this instrument has no " +
                        std::string(LogSources[static_cast<std::size_t>(*index)].checkText);
                return std::nullopt;
            }
            mask = static_cast<std::uint16_t>(mask | (1u << *index));
        } else {
            error = "unknown source \"" + name +
                    "\" (A..H, Heater1, Heater2, Analog1, Analog2, Loop1..Loop4, all)";
            return std::nullopt;
        }
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    if (mask == 0)
        error = "no source this instrument offers was named";
    return mask == 0 ? std::nullopt : std::optional(mask);
}
