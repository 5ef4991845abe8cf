#include "logging/LoggingTicker.h"

#include <algorithm>

#include "base/Event.h"

CLoggingTicker::~CLoggingTicker() {
    KillLoggingTimer();
}

void CLoggingTicker::SetLoggingTimer(std::chrono::milliseconds period) {
    KillLoggingTimer();
    std::lock_guard lock(mutex_);
    running_ = true;
    ticks_ = 0;
    thread_ = std::thread([this, period] { Tick(std::max(period, std::chrono::milliseconds(1))); });
}

void CLoggingTicker::KillLoggingTimer() {
    {
        std::lock_guard lock(mutex_);
        running_ = false;
    }
    changed_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

long long CLoggingTicker::Ticks() const {
    std::lock_guard lock(mutex_);
    return ticks_;
}

void CLoggingTicker::Tick(std::chrono::milliseconds period) {
    auto next = std::chrono::steady_clock::now() + period;
    std::unique_lock lock(mutex_);
    for (;;) {
        if (changed_.wait_until(lock, next, [this] { return !running_; }))
            return;
        sampleEvent_.Set();
        ++ticks_;
        next += period;
        const auto now = std::chrono::steady_clock::now();
        if (next <= now)
            next += ((now - next) / period + 1) * period;
    }
}
