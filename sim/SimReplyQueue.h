#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>

// Replies waiting to go out on one non-blocking descriptor.
//
// A reply is due `delay` after it was made (a late instrument for tests) and
// is written as the descriptor takes it, never blocking the server. A client
// that stops reading must not stall the other transports or grow memory
// without end: a reply still not fully written `lifetime` after it fell due is
// dropped, and a reply that would take the queue beyond `capacity` bytes is
// dropped at once.
class CSimReplyQueue {
public:
    using Clock = std::chrono::steady_clock;

    static constexpr std::chrono::milliseconds DefaultLifetime{5000};
    static constexpr std::size_t DefaultCapacity = std::size_t{64} * 1024;

    explicit CSimReplyQueue(std::chrono::milliseconds delay = std::chrono::milliseconds(0),
                            std::chrono::milliseconds lifetime = DefaultLifetime,
                            std::size_t capacity = DefaultCapacity);

    void Push(std::string bytes, Clock::time_point now);
    // Bytes due at a given time (a fault's late or trickled reply), after the
    // queue's own delay.
    void PushAt(std::string bytes, Clock::time_point due);
    // From now on, once the replies are out, the descriptor gets bytes without
    // end, as fast as it takes them (a fault: an instrument that streams).
    void StartStream() { streaming_ = true; }
    bool Streaming() const { return streaming_; }
    // A reply is due and waiting for the descriptor to take it.
    bool WantsWrite(Clock::time_point now) const;
    // Writes what `fd` takes without blocking and drops replies that outlived
    // their time. 0, or the errno of a failed write (that reply is dropped).
    // With a `limit` (a paced line) at most that many bytes go, `written`
    // tells how many did, and a reply that is moving does not expire.
    int Flush(int fd, Clock::time_point now, std::size_t limit = SIZE_MAX,
              std::size_t* written = nullptr);
    // When Flush next has something to do without the descriptor becoming writable.
    std::optional<Clock::time_point> NextWakeup(Clock::time_point now) const;

    std::size_t PendingReplies() const { return pending_.size(); }
    std::size_t DroppedReplies() const { return dropped_; }
    void Clear();

private:
    struct Pending {
        std::string bytes;
        std::size_t written = 0;
        Clock::time_point due;
        Clock::time_point expires;
    };

    void DropFront();
    int FlushStream(int fd);

    std::chrono::milliseconds delay_;
    std::chrono::milliseconds lifetime_;
    std::size_t capacity_;
    std::deque<Pending> pending_;
    std::size_t pendingBytes_ = 0;
    std::size_t dropped_ = 0;
    bool streaming_ = false;
    std::size_t streamPosition_ = 0;
};
