// A stand-in GPIB user library of the older kind: its status lives in the
// exported variables ibsta, iberr and ibcntl only, with no per-thread getters,
// so that the link's fallback to the variables is what runs. One device, at
// primary address 12, answers every query with StandInReply; nothing listens
// at any other address.

#include <cstring>
#include <string>

extern "C" {
int ibsta = 0;
int iberr = 0;
long ibcntl = 0;
}

namespace {

constexpr int Err = 0x8000;
constexpr int Timo = 0x4000;
constexpr int End = 0x2000;
constexpr int Cmpl = 0x100;
constexpr int Enol = 2;
constexpr int Eabo = 6;
constexpr int DeviceAddress = 12;

// Longer than one of the link's 100-byte reads, so that the byte count matters.
const std::string StandInReply = "STAND-IN," + std::string(135, 'v') + "\r\n";

int address = -1;
std::string output;

int Status(int bits, long count, int error = 0) {
    ibsta = bits;
    ibcntl = count;
    if (bits & Err)
        iberr = error;
    return bits;
}

} // namespace

extern "C" int ibdev(int, int pad, int, int, int, int) {
    address = pad;
    output.clear();
    Status(Cmpl, 0);
    return 1;
}

extern "C" int ibwrt(int, const void* data, long count) {
    if (address != DeviceAddress)
        return Status(Err, 0, Enol);
    std::string line(static_cast<const char*>(data), static_cast<std::size_t>(count));
    if (line.find('?') != std::string::npos && line.front() != '?')
        output = StandInReply;
    return Status(Cmpl, count);
}

extern "C" int ibrd(int, void* buffer, long count) {
    if (output.empty())
        return Status(Err | Timo, 0, Eabo);
    std::size_t n = std::min(output.size(), static_cast<std::size_t>(count));
    std::memcpy(buffer, output.data(), n);
    output.erase(0, n);
    return Status(Cmpl | (output.empty() ? End : 0), static_cast<long>(n));
}

extern "C" int ibclr(int) {
    if (address != DeviceAddress)
        return Status(Err, 0, Enol);
    output.clear();
    return Status(Cmpl, 0);
}

extern "C" int ibonl(int, int) {
    address = -1;
    return Status(Cmpl, 0);
}
