#include "server/ServeOptions.h"

#include <algorithm>
#include <arpa/inet.h>
#include <charconv>

namespace {

std::optional<std::uint32_t> ParseAddress(std::string_view text) {
    in_addr parsed{};
    const std::string copy(text);
    if (::inet_pton(AF_INET, copy.c_str(), &parsed) != 1)
        return std::nullopt;
    return ntohl(parsed.s_addr);
}

std::optional<int> ParseNumber(std::string_view text, int low, int high) {
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high)
        return std::nullopt;
    return value;
}

std::uint32_t Mask(int bits) {
    return bits == 0 ? 0 : ~std::uint32_t{0} << (32 - bits);
}

} // namespace

bool AllowRule::Admits(std::uint32_t address) const {
    return (address & Mask(bits)) == (network & Mask(bits));
}

bool ServeOptions::Admits(std::uint32_t peer) const {
    if (allow.empty())
        return true;
    for (const AllowRule& rule : allow)
        if (rule.Admits(peer))
            return true;
    return false;
}

std::string ServeOptions::Problem() const {
    if (!IsLoopback(address) && allow.empty())
        return "the server listens on " + AddressText(address) +
               ", beyond this computer: say who may connect with --allow ADDR[/BITS]";
    if (maxClients < 1 || maxClients > MaxMaxClients)
        return "the number of clients must be 1 to " + std::to_string(MaxMaxClients);
    return {};
}

std::optional<ServeOptions> ParseListen(std::string_view text, ServeOptions options,
                                        std::string& why) {
    std::string_view host = text;
    if (const auto colon = text.rfind(':'); colon != std::string_view::npos) {
        auto port = ParseNumber(text.substr(colon + 1), 0, 65535);
        if (!port) {
            why = "'" + std::string(text) + "': the port must be a number from 0 to 65535";
            return std::nullopt;
        }
        options.port = *port;
        host = text.substr(0, colon);
    }
    if (!host.empty()) {
        auto address = ParseAddress(host);
        if (!address) {
            why = "'" + std::string(text) + "': not an IPv4 address, as 127.0.0.1:" +
                  std::to_string(ServeOptions::DefaultPort);
            return std::nullopt;
        }
        options.address = *address;
    }
    return options;
}

std::optional<AllowRule> ParseAllowRule(std::string_view text, std::string& why) {
    AllowRule rule;
    std::string_view host = text;
    if (const auto slash = text.find('/'); slash != std::string_view::npos) {
        auto bits = ParseNumber(text.substr(slash + 1), 0, 32);
        if (!bits) {
            why = "'" + std::string(text) + "': the bits after / must be 0 to 32";
            return std::nullopt;
        }
        rule.bits = *bits;
        host = text.substr(0, slash);
    }
    auto address = ParseAddress(host);
    if (!address) {
        why = "'" + std::string(text) + "': not an IPv4 address, as 192.168.1.0/24";
        return std::nullopt;
    }
    rule.network = *address;
    return rule;
}

std::optional<std::vector<AllowRule>> ParseAllowList(std::string_view text, std::string& why) {
    std::vector<AllowRule> rules;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find_first_of(" ,", start), text.size());
        if (end > start) {
            auto rule = ParseAllowRule(text.substr(start, end - start), why);
            if (!rule)
                return std::nullopt;
            rules.push_back(*rule);
        }
        start = end + 1;
    }
    return rules;
}

std::string AllowListText(const std::vector<AllowRule>& rules) {
    std::string text;
    for (const AllowRule& rule : rules) {
        if (!text.empty())
            text += ", ";
        text += AddressText(rule.network);
        if (rule.bits != 32)
            text += "/" + std::to_string(rule.bits);
    }
    return text;
}

std::string AddressText(std::uint32_t address) {
    return std::to_string(address >> 24) + "." + std::to_string((address >> 16) & 0xFF) + "." +
           std::to_string((address >> 8) & 0xFF) + "." + std::to_string(address & 0xFF);
}

bool IsLoopback(std::uint32_t address) {
    return (address >> 24) == 127;
}
