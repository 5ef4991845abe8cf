#include "sim/SimLinePacer.h"

CSimLinePacer::CSimLinePacer(int baud) : baud_(baud > 0 ? baud : 0) {}

CSimLinePacer::Clock::duration CSimLinePacer::ByteTime(std::size_t bytes) const {
    // Rounded up, so that the line has carried the byte when the time comes.
    const double seconds = static_cast<double>(bytes) * BitsPerByte / baud_;
    return std::chrono::ceil<Clock::duration>(std::chrono::duration<double>(seconds));
}

std::size_t CSimLinePacer::Allowance(Clock::time_point now) {
    if (!Paced())
        return Unlimited;
    if (!busy_) {
        busy_ = true;
        start_ = now;
        carried_ = 0;
    }
    const double seconds = std::chrono::duration<double>(now - start_).count();
    const auto done = static_cast<std::size_t>(seconds * baud_ / BitsPerByte);
    return done > carried_ ? done - carried_ : 0;
}

void CSimLinePacer::Sent(std::size_t count, std::size_t allowed) {
    if (!Paced())
        return;
    carried_ += count;
    if (count < allowed)
        busy_ = false;
}

CSimLinePacer::Clock::time_point CSimLinePacer::NextByte() const {
    return start_ + ByteTime(carried_ + 1);
}
