#include "comm/ResourceString.h"

#include <charconv>
#include <strings.h>

#include "comm/SerialDevices.h"

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           strncasecmp(text.data(), prefix.data(), prefix.size()) == 0;
}

std::optional<int> ParseNumber(std::string_view text) {
    int value = 0;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || ptr != text.data() + text.size())
        return std::nullopt;
    return value;
}

} // namespace

int BaudIndexForSpeed(int baud) {
    static constexpr int Speeds[] = {115200, 57600, 38400, 19200, 9600, 4800, 2400, 1200};
    for (int i = 0; i < 8; ++i)
        if (Speeds[i] == baud)
            return i;
    return -1;
}

std::optional<InstrumentResource> ParseResource(std::string_view text,
                                                const CSettingsStore& settings,
                                                std::string& error) {
    InstrumentResource resource;
    if (auto at = text.rfind('@'); at != std::string_view::npos) {
        auto speed = ParseNumber(text.substr(at + 1));
        resource.baudIndex = speed ? BaudIndexForSpeed(*speed) : -1;
        if (resource.baudIndex < 0) {
            error = "unsupported line speed \"" + std::string(text.substr(at + 1)) +
                    "\" (use 1200, 2400, 4800, 9600, 19200, 38400, 57600 or 115200)";
            return std::nullopt;
        }
        text = text.substr(0, at);
    }
    constexpr std::string_view Suffix = "::INSTR";
    if (!StartsWithNoCase(text, "ASRL") || text.size() <= 4 + Suffix.size() ||
        strncasecmp(text.data() + text.size() - Suffix.size(), Suffix.data(), Suffix.size()) != 0) {
        if (StartsWithNoCase(text, "GPIB") || StartsWithNoCase(text, "TCPIP"))
            error = "GPIB and LAN resources are not supported by this version; use ASRL";
        else
            error = "\"" + std::string(text) +
                    "\" is not a resource (expected for example ASRL/dev/ttyUSB0::INSTR)";
        return std::nullopt;
    }
    std::string_view port = text.substr(4, text.size() - 4 - Suffix.size());
    if (port.front() == '/') {
        resource.device = std::string(port);
    } else if (auto com = ParseNumber(port); com && *com >= 1) {
        resource.device = SerialDevicePath(settings, *com);
        if (resource.device.empty()) {
            error = "COM" + std::to_string(*com) + " has no device (set it in section SerialDevices)";
            return std::nullopt;
        }
    } else {
        error = "\"" + std::string(port) + "\" is neither a device path nor a port number";
        return std::nullopt;
    }
    return resource;
}
