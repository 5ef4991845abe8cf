#pragma once

#include <chrono>
#include <cstddef>
#include <limits>

// One direction of a serial line at a given line rate: a byte is handed on
// only once the line has carried it, 10 bits a byte (start bit, eight data
// bits, stop bit). Bytes that keep coming go back to back; a line that fell
// idle starts again from the moment the next byte comes.
class CSimLinePacer {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::size_t Unlimited = std::numeric_limits<std::size_t>::max();
    static constexpr int BitsPerByte = 10;

    // 0: no pacing, every byte goes at once.
    explicit CSimLinePacer(int baud = 0);

    bool Paced() const { return baud_ > 0; }
    // How many bytes may go now; ask only when there are bytes waiting.
    std::size_t Allowance(Clock::time_point now);
    // `count` of the `allowed` bytes went; fewer means the waiting bytes ran
    // out (or the other side took no more) and the line falls idle.
    void Sent(std::size_t count, std::size_t allowed);
    // When the line will have carried the next byte of a burst that was held back.
    Clock::time_point NextByte() const;

private:
    Clock::duration ByteTime(std::size_t bytes) const;

    int baud_;
    bool busy_ = false;
    Clock::time_point start_{}; // when the line began the burst
    std::size_t carried_ = 0;   // bytes of the burst handed on so far
};
