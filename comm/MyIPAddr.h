#pragma once

#include <cstdint>
#include <optional>
#include <string>

// An IPv4 address as one 32-bit value, the first number of the dotted form in
// the most significant byte.
class MyIPAddr {
public:
    MyIPAddr() = default;
    explicit MyIPAddr(std::uint32_t value) : value_(value), set_(true) {}
    static MyIPAddr FromOctets(int a, int b, int c, int d);
    // "192.168.0.4" and the like; nullopt for anything else.
    static std::optional<MyIPAddr> Parse(const std::string& dotted);
    // A dotted address, or a host name looked up (IPv4 only, through the
    // system's resolver and its own time-outs); nullopt with `error` saying why.
    static std::optional<MyIPAddr> Resolve(const std::string& host, std::string& error);

    std::uint32_t Value() const { return value_; }
    int Octet(int index) const { return static_cast<int>((value_ >> (24 - 8 * index)) & 0xFF); }
    bool IsSet() const { return set_; }
    // The dotted text, or nullopt while no address was given.
    std::optional<std::string> Get_Addr_Str() const;

private:
    std::uint32_t value_ = 0;
    bool set_ = false;
};
