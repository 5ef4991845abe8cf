#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

// A manual-reset event: once set it stays set, waking every waiter, until reset.
// The workers wait on two of them at once (stop, sample) with WaitAny.
class CEvent {
public:
    void Set();
    void Reset();
    bool IsSet() const;
    // True when the event was set within the time-out.
    bool Wait(std::chrono::milliseconds timeout);

    // Waits until one of the two is set: 0 for the first, 1 for the second (the
    // first wins when both are set), -1 on time-out.
    static int WaitAny(CEvent& first, CEvent& second, std::chrono::milliseconds timeout);

private:
    // One condition variable shared by every event lets WaitAny wait on several.
    static std::mutex& Mutex();
    static std::condition_variable& Changed();

    bool set_ = false;
};
