#pragma once

#include <cstddef>
#include <cstdint>

// The socket between the simulated GPIB library (libtundrix-gpib-sim.so) and
// the simulated device of "tundrix-sim --gpib", a Unix stream socket.
//
// Each device descriptor owns one connection: ibdev connects, ibonl(ud, 0)
// closes. On it the library sends one request and waits for its answer before
// it sends the next, so the simulator serves a connection one request at a time.
//
//   request: Request (five uint32), then `length` data bytes (Write only)
//   answer:  Answer (three uint32), then `count` data bytes (Read only)
//
// Integers are in the host's byte order: the socket never leaves the machine.
// `address` is primary + 256 * secondary (0 = none); a request for any address
// but the device's own is answered as the bus would: Write and Clear fail with
// ERR and ENOL (no listener), Read waits its time-out and fails with ERR|TIMO.
//
//   Write  data = bytes of a message; value bit 0 (EoiFlag) = EOI with the last
//          byte, which ends the command line. Answer: CMPL, count = bytes taken.
//   Read   value = most bytes wanted; timeoutUs = how long to wait for output.
//          Answered as soon as the device has output: up to `value` bytes of
//          one reply, with END when the reply's last byte went with them; or
//          after timeoutUs with ERR|TIMO, iberr EABO, count 0.
//   Clear  selected device clear: the device forgets unread output and any
//          partly received line. Answer: CMPL.
//
// Both sides bound what they accept: `length`, `value` and `count` never exceed
// MaxData and `timeoutUs` never exceeds MaxTimeoutUs. A request that breaks
// these rules, or has an unknown op, ends its connection.
namespace GpibWire {

enum Op : std::uint32_t {
    Write = 1,
    Read = 2,
    Clear = 3,
};

inline constexpr std::uint32_t EoiFlag = 1;
inline constexpr std::size_t MaxData = std::size_t{64} * 1024;
// The longest standard time-out, T1000s.
inline constexpr std::uint32_t MaxTimeoutUs = 1000u * 1000u * 1000u;

struct Request {
    std::uint32_t op;
    std::uint32_t address;
    std::uint32_t value;
    std::uint32_t timeoutUs;
    std::uint32_t length;
};

struct Answer {
    std::uint32_t ibsta;
    std::uint32_t iberr;
    std::uint32_t count;
};

static_assert(sizeof(Request) == 20 && sizeof(Answer) == 12, "no padding on the wire");

// Status bits of ibsta.
inline constexpr std::uint32_t Err = 0x8000;
inline constexpr std::uint32_t Timo = 0x4000;
inline constexpr std::uint32_t End = 0x2000;
inline constexpr std::uint32_t Cmpl = 0x100;

// Error codes of iberr.
inline constexpr std::uint32_t Edvr = 0; // system error; ibcntl holds errno
inline constexpr std::uint32_t Enol = 2; // no listener at the address
inline constexpr std::uint32_t Earg = 4; // invalid argument
inline constexpr std::uint32_t Eabo = 6; // the I/O timed out

inline constexpr std::uint32_t Address(int primary, int secondary) {
    return static_cast<std::uint32_t>(primary) + 256u * static_cast<std::uint32_t>(secondary);
}

} // namespace GpibWire
