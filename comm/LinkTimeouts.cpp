#include "comm/LinkTimeouts.h"

#include <algorithm>
#include <iterator>

namespace {

// T10us, T30us, T100us, ... T1000s: 1, 3, 10, 30, ... microseconds times ten.
constexpr long long CodeMicroseconds[] = {
    10,         30,         100,         300,         1'000,         3'000,
    10'000,     30'000,     100'000,     300'000,     1'000'000,     3'000'000,
    10'000'000, 30'000'000, 100'000'000, 300'000'000, 1'000'000'000,
};

std::chrono::milliseconds DividedWait(std::chrono::milliseconds wait, int divisor) {
    return std::max(std::chrono::milliseconds(1), wait / divisor);
}

} // namespace

long long GpibTimeoutMicroseconds(int code) {
    if (code < 1 || code > static_cast<int>(std::size(CodeMicroseconds)))
        return 0;
    return CodeMicroseconds[code - 1];
}

std::chrono::milliseconds LinkTimeouts::GpibRead() const {
    return std::chrono::milliseconds(GpibTimeoutMicroseconds(gpibTimeoutCode) / 1000);
}

LinkTimeouts LinkTimeouts::Divided(int divisor) {
    LinkTimeouts t;
    divisor = std::max(1, divisor);
    t.serialReplyWait = DividedWait(t.serialReplyWait, divisor);
    t.serialReadDivisor = divisor;
    const long long within = GpibTimeoutMicroseconds(t.gpibTimeoutCode) / divisor;
    while (t.gpibTimeoutCode > 1 && GpibTimeoutMicroseconds(t.gpibTimeoutCode) > within)
        --t.gpibTimeoutCode;
    t.lanConnect = DividedWait(t.lanConnect, divisor);
    t.lanRead = DividedWait(t.lanRead, divisor);
    t.lanTableSettle = DividedWait(t.lanTableSettle, divisor);
    t.curveReadWait = DividedWait(t.curveReadWait, divisor);
    t.datalogCommandWait = DividedWait(t.datalogCommandWait, divisor);
    return t;
}
