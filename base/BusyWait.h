#pragma once

#include <chrono>
#include <functional>
#include <poll.h>

class IEventPump;

// Waits of the window's thread. Every instrument exchange of a menu command runs
// on the window's thread, so a reply that takes seconds (a LAN read gives up
// after 3 s) would leave the windows unpainted for as long. A thread that has
// an event pump installed runs it every WaitPumpSlice while it waits; threads
// without one (the workers, the CLI) wait exactly as a plain wait does.
//
// The pump is never run from inside itself: a wait that starts while the pump
// runs (a timer's handler waiting for the link) is a plain wait.

inline constexpr std::chrono::milliseconds WaitPumpSlice{10};

// Installs `pump` for the calling thread (null: none); returns the one it replaces.
IEventPump* InstallWaitPump(IEventPump* pump);
// The calling thread's pump, or null when it has none or is running it now.
IEventPump* ActiveWaitPump();

// Tells the pump that a wait runs, for as long as the object lives.
class CPumpedWait {
public:
    explicit CPumpedWait(IEventPump& pump);
    ~CPumpedWait();
    CPumpedWait(const CPumpedWait&) = delete;
    CPumpedWait& operator=(const CPumpedWait&) = delete;

    // Runs the pump once, marked so that a wait inside it does not pump again.
    void Pump();

private:
    IEventPump& pump_;
};

// Whole milliseconds from now until `when`, rounded up; 0 once it has passed.
int MillisecondsUntil(std::chrono::steady_clock::time_point when);

// poll(2), pumping between slices of the time-out; returns what poll returns
// (0 when the time-out passed). A negative time-out waits without end, as poll does.
int PollPumped(pollfd* fds, nfds_t count, int timeoutMs);
// Lets `duration` pass, pumping.
void SleepPumped(std::chrono::milliseconds duration);
// A blocking call that cannot be cut into slices (a library's read with its own
// time-out) runs on a helper thread while this thread pumps; without a pump it
// runs here. The call must not touch windows.
void RunPumped(const std::function<void()>& call);
