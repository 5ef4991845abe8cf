#include "sim/SimServerLoop.h"

#include <algorithm>
#include <cerrno>
#include <span>
#include <unistd.h>

int CSimServerLoop::Run() {
    using Clock = CSimTransport::Clock;
    std::vector<pollfd> fds;
    std::vector<std::size_t> firsts;
    while (true) {
        const Clock::time_point now = Clock::now();
        fds.clear();
        firsts.clear();
        for (const Stop& stop : stops_) {
            // A stop descriptor found unusable is no longer watched (fd -1 is skipped by poll).
            fds.push_back({stop.fd, POLLIN, 0});
        }
        for (CSimTransport* transport : transports_) {
            firsts.push_back(fds.size());
            transport->AddPollFds(fds, now);
        }
        firsts.push_back(fds.size());

        if (::poll(fds.data(), fds.size(), WaitMilliseconds(now)) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        bool stopping = false;
        for (std::size_t i = 0; i < stops_.size(); ++i) {
            stopping = CheckStop(stops_[i], fds[i].revents) || stopping;
        }
        // What had come when the stop came is served first: a line a client
        // sent just before it went is in the transcript.
        const Clock::time_point after = Clock::now();
        for (std::size_t i = 0; i < transports_.size(); ++i) {
            const std::span<const pollfd> own(fds.data() + firsts[i], firsts[i + 1] - firsts[i]);
            transports_[i]->HandlePoll(own, after);
        }
        if (stopping) {
            return 0;
        }
    }
}

bool CSimServerLoop::CheckStop(Stop& stop, short revents) {
    if (stop.fd < 0 || revents == 0) {
        return false;
    }
    if ((revents & POLLNVAL) != 0) {
        stop.fd = -1;
        return false;
    }
    if (stop.when == StopWhen::AnyInput) {
        return true;
    }
    char scratch[512];
    const ssize_t count = ::read(stop.fd, scratch, sizeof scratch);
    if (count == 0) {
        return true;
    }
    if (count < 0 && errno != EINTR && errno != EAGAIN) {
        // EIO from a terminal we may not read (a background job): stop watching, keep serving.
        stop.fd = -1;
    }
    return false;
}

int CSimServerLoop::WaitMilliseconds(CSimTransport::Clock::time_point now) const {
    auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(MaxWait);
    for (const CSimTransport* transport : transports_) {
        if (const auto wakeup = transport->NextWakeup(now)) {
            // Round up so that the loop does not wake just before the moment and spin.
            const auto until = std::chrono::ceil<std::chrono::milliseconds>(*wakeup - now);
            wait = std::min(wait, std::max(until, std::chrono::milliseconds(0)));
        }
    }
    return static_cast<int>(wait.count());
}
