#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "logging/LoggingUi.h"

class CEvent;

// The logging timer of a front end without windows: a thread that sets the
// sample event once per period. Ticks keep to a fixed grid (a late tick does
// not shift the ones after it); ticks that a stalled process could not deliver
// are skipped, as the sample event would collapse them anyway.
class CLoggingTicker : public ILoggingTimer {
public:
    explicit CLoggingTicker(CEvent& sampleEvent) : sampleEvent_(sampleEvent) {}
    ~CLoggingTicker() override;
    CLoggingTicker(const CLoggingTicker&) = delete;
    CLoggingTicker& operator=(const CLoggingTicker&) = delete;

    // A period of 0 ms ticks once a millisecond.
    void SetLoggingTimer(std::chrono::milliseconds period) override;
    void KillLoggingTimer() override;
    // Ticks delivered since the timer was last set.
    long long Ticks() const;

private:
    void Tick(std::chrono::milliseconds period);

    CEvent& sampleEvent_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool running_ = false;
    long long ticks_ = 0;
    std::thread thread_;
};
