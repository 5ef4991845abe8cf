#include "comm/MyIPAddr.h"

#include <arpa/inet.h>
#include <charconv>
#include <netdb.h>
#include <sys/socket.h>

MyIPAddr MyIPAddr::FromOctets(int a, int b, int c, int d) {
    auto octet = [](int v) { return static_cast<std::uint32_t>(v) & 0xFF; };
    return MyIPAddr(octet(a) << 24 | octet(b) << 16 | octet(c) << 8 | octet(d));
}

std::optional<MyIPAddr> MyIPAddr::Parse(const std::string& dotted) {
    int octets[4];
    const char* p = dotted.data();
    const char* end = p + dotted.size();
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            if (p == end || *p != '.')
                return std::nullopt;
            ++p;
        }
        auto [next, ec] = std::from_chars(p, end, octets[i]);
        if (ec != std::errc() || next == p || next - p > 3 || octets[i] < 0 || octets[i] > 255)
            return std::nullopt;
        p = next;
    }
    if (p != end)
        return std::nullopt;
    return FromOctets(octets[0], octets[1], octets[2], octets[3]);
}

std::optional<std::string> MyIPAddr::Get_Addr_Str() const {
    if (!set_)
        return std::nullopt;
    return std::to_string(Octet(0)) + "." + std::to_string(Octet(1)) + "." +
           std::to_string(Octet(2)) + "." + std::to_string(Octet(3));
}

std::optional<MyIPAddr> MyIPAddr::Resolve(const std::string& host, std::string& error) {
    if (auto dotted = Parse(host))
        return dotted;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (int status = ::getaddrinfo(host.c_str(), nullptr, &hints, &found); status != 0) {
        error = "cannot find the IPv4 address of \"" + host + "\": " + ::gai_strerror(status);
        return std::nullopt;
    }
    const auto* address = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    MyIPAddr result(ntohl(address->sin_addr.s_addr));
    ::freeaddrinfo(found);
    return result;
}
