#pragma once

#include <chrono>
#include <optional>
#include <poll.h>
#include <span>
#include <vector>

// One way into the controller (pseudo-terminal, TCP, GPIB socket), served by
// the one poll loop of CSimServerLoop so that every transport reaches the same
// controller from a single thread.
class CSimTransport {
public:
    using Clock = std::chrono::steady_clock;

    virtual ~CSimTransport() = default;

    // Appends the descriptors to watch until the next wake-up.
    virtual void AddPollFds(std::vector<pollfd>& fds, Clock::time_point now) = 0;
    // Gets back the entries it appended, in order, after every wake-up
    // (time-outs included, so that delayed and stale replies are handled).
    virtual void HandlePoll(std::span<const pollfd> fds, Clock::time_point now) = 0;
    // When it must run again even if no descriptor becomes ready.
    virtual std::optional<Clock::time_point> NextWakeup(Clock::time_point now) const = 0;
};
