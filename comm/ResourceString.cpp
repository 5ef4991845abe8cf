#include "comm/ResourceString.h"

#include <charconv>
#include <strings.h>
#include <vector>

#include "comm/LinkResult.h"
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

namespace {

// The fields between "::" separators.
std::vector<std::string_view> Fields(std::string_view text) {
    std::vector<std::string_view> fields;
    for (auto sep = text.find("::"); sep != std::string_view::npos; sep = text.find("::")) {
        fields.push_back(text.substr(0, sep));
        text.remove_prefix(sep + 2);
    }
    fields.push_back(text);
    return fields;
}

constexpr int MaxGpibPrimary = 30;

// A dotted IPv4 address or a host name: letters, digits, "-" and ".", as DNS
// names are written; anything else (blanks, "/", ":") cannot name a host.
bool IsHostName(std::string_view text) {
    if (text.empty() || text.size() > 253 || text.front() == '-' || text.front() == '.')
        return false;
    for (char c : text)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
              c == '-' || c == '.'))
            return false;
    return true;
}

bool SameNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

std::optional<InstrumentResource> ParseGpib(std::string_view text, std::string& error) {
    auto fields = Fields(text);
    int address = -1;
    if (fields.size() == 3)
        address = ParseNumber(fields[1]).value_or(-1);
    if (!SameNoCase(fields[0], "GPIB0") && !SameNoCase(fields[0], "GPIB")) {
        error = "only GPIB board 0 is supported (GPIB0::ADDRESS::INSTR)";
        return std::nullopt;
    }
    if (address < 0 || !SameNoCase(fields[2], "INSTR")) {
        error = "\"" + std::string(text) + "\" is not a GPIB resource (expected GPIB0::12::INSTR)";
        return std::nullopt;
    }
    // 31 is no device address on the bus: it is the "unlisten"/"untalk" command.
    if (address > MaxGpibPrimary) {
        error = "GPIB primary address " + std::to_string(address) + " is out of range (0 to 30)";
        return std::nullopt;
    }
    InstrumentResource resource;
    resource.portType = PortGPIB;
    resource.gpibAddress = address;
    return resource;
}

std::optional<InstrumentResource> ParseLan(std::string_view text, std::string& error) {
    auto fields = Fields(text);
    int port = -1;
    if (fields.size() == 4)
        port = ParseNumber(fields[2]).value_or(-1);
    if (port < 0 || port > 65535 || !SameNoCase(fields[3], "SOCKET") || !IsHostName(fields[1])) {
        error = "\"" + std::string(text) +
                "\" is not a LAN resource (expected TCPIP::192.168.0.4::5000::SOCKET)";
        return std::nullopt;
    }
    InstrumentResource resource;
    resource.portType = PortLAN;
    resource.ipAddress = std::string(fields[1]);
    resource.ipPort = port;
    return resource;
}

} // namespace

std::optional<InstrumentResource>
ParseResource(std::string_view text, const CSettingsStore& settings, std::string& error) {
    if (StartsWithNoCase(text, "GPIB"))
        return ParseGpib(text, error);
    if (StartsWithNoCase(text, "TCPIP"))
        return ParseLan(text, error);
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
            error =
                "COM" + std::to_string(*com) + " has no device (set it in section SerialDevices)";
            return std::nullopt;
        }
    } else {
        error = "\"" + std::string(port) + "\" is neither a device path nor a port number";
        return std::nullopt;
    }
    return resource;
}
