#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "base/BusyWait.h"

// The one lock of the system, owned for the whole of a transaction or group of
// transactions. Handlers and workers wait at most 1000 ms for it; Connect and
// the command file runner only try it.
//
// A timed mutex of its own rather than std::timed_mutex: libstdc++ waits on
// that one with pthread_mutex_clocklock, which ThreadSanitizer does not see,
// so every timed wait showed up as a false report. Meets TimedLockable, so
// std::unique_lock works with it.
// Menu and message handlers and the workers wait this long for the mutex.
inline constexpr std::chrono::milliseconds TransactionLockWait{1000};

class CTransactionMutex {
public:
    void lock() {
        std::unique_lock guard(mutex_);
        released_.wait(guard, [this] { return !owned_; });
        owned_ = true;
    }
    bool try_lock() {
        std::lock_guard guard(mutex_);
        if (owned_)
            return false;
        owned_ = true;
        return true;
    }
    template <class Rep, class Period>
    bool try_lock_for(const std::chrono::duration<Rep, Period>& timeout) {
        return try_lock_until(std::chrono::steady_clock::now() + timeout);
    }
    // On a thread with a wait pump (the window's), the windows keep painting
    // while it waits.
    template <class Clock, class Duration>
    bool try_lock_until(const std::chrono::time_point<Clock, Duration>& deadline) {
        IEventPump* pump = ActiveWaitPump();
        if (pump == nullptr)
            return WaitUntil(deadline);
        CPumpedWait wait(*pump);
        for (;;) {
            const auto sliceEnd = Clock::now() + WaitPumpSlice;
            const bool lastSlice = deadline <= sliceEnd;
            if (lastSlice ? WaitUntil(deadline) : WaitUntil(sliceEnd))
                return true;
            if (lastSlice || Clock::now() >= deadline)
                return false;
            wait.Pump();
        }
    }
    void unlock() {
        {
            std::lock_guard guard(mutex_);
            owned_ = false;
        }
        released_.notify_one();
    }

private:
    template <class TimePoint> bool WaitUntil(const TimePoint& deadline) {
        std::unique_lock guard(mutex_);
        if (!released_.wait_until(guard, deadline, [this] { return !owned_; }))
            return false;
        owned_ = true;
        return true;
    }

    std::mutex mutex_;
    std::condition_variable released_;
    bool owned_ = false;
};
