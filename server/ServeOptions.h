#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// How one instrument is shared on a TCP socket: where the server listens,
// who may connect, and its bounds. Addresses are IPv4.

// ADDR/BITS: the addresses whose first BITS bits are those of ADDR.
struct AllowRule {
    std::uint32_t network = 0; // host byte order
    int bits = 32;

    bool Admits(std::uint32_t address) const;
};

struct ServeOptions {
    // The port the server listens on unless told otherwise: the one lab
    // instruments serve their command language on.
    static constexpr int DefaultPort = 5025;
    static constexpr int DefaultMaxClients = 8;
    static constexpr int MaxMaxClients = 64;
    // A client that sends nothing for this long is closed.
    static constexpr std::chrono::seconds DefaultIdleTimeout{900};

    std::uint32_t address = 0x7F000001; // 127.0.0.1, host byte order
    int port = DefaultPort;             // 0: any free port
    std::vector<AllowRule> allow;       // empty: every address (loopback only)
    bool readOnly = false;
    int maxClients = DefaultMaxClients;
    std::chrono::milliseconds idleTimeout = DefaultIdleTimeout;
    // Replies a client has not read yet; past this it is closed.
    std::size_t maxWaitingOutput = std::size_t{4} * 1024 * 1024;

    // Whether a client at `address` may connect.
    bool Admits(std::uint32_t peer) const;
    // Why these options cannot be served (another address than loopback
    // without --allow, a bad client count); empty when they can.
    std::string Problem() const;
};

// "ADDR:PORT", "ADDR" or ":PORT"; nothing with `why` said when it is not one.
std::optional<ServeOptions> ParseListen(std::string_view text, ServeOptions options,
                                        std::string& why);
// "ADDR" or "ADDR/BITS" (0..32).
std::optional<AllowRule> ParseAllowRule(std::string_view text, std::string& why);
// Rules separated by blanks or commas, as the window takes them.
std::optional<std::vector<AllowRule>> ParseAllowList(std::string_view text, std::string& why);
std::string AllowListText(const std::vector<AllowRule>& rules);
// The dotted form of an address in host byte order.
std::string AddressText(std::uint32_t address);
bool IsLoopback(std::uint32_t address);
