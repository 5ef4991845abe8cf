#include "base/BusyWait.h"

#include <algorithm>
#include <future>
#include <system_error>
#include <thread>

#include "base/UserInterface.h"

namespace {

using Clock = std::chrono::steady_clock;

thread_local IEventPump* installedPump = nullptr;
thread_local bool pumping = false;

} // namespace

int MillisecondsUntil(std::chrono::steady_clock::time_point when) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(when - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

IEventPump* InstallWaitPump(IEventPump* pump) {
    IEventPump* previous = installedPump;
    installedPump = pump;
    return previous;
}

IEventPump* ActiveWaitPump() {
    return pumping ? nullptr : installedPump;
}

CPumpedWait::CPumpedWait(IEventPump& pump) : pump_(pump) {
    pump_.WaitStarted();
}

CPumpedWait::~CPumpedWait() {
    pump_.WaitEnded();
}

void CPumpedWait::Pump() {
    pumping = true;
    pump_.ProcessEvents();
    pumping = false;
}

int PollPumped(pollfd* fds, nfds_t count, int timeoutMs) {
    const int slice = static_cast<int>(WaitPumpSlice.count());
    IEventPump* pump = ActiveWaitPump();
    if (pump == nullptr || (timeoutMs >= 0 && timeoutMs <= slice))
        return ::poll(fds, count, timeoutMs);
    CPumpedWait wait(*pump);
    const bool endless = timeoutMs < 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    for (;;) {
        const int ready =
            ::poll(fds, count, endless ? slice : std::min(slice, MillisecondsUntil(deadline)));
        if (ready != 0 || (!endless && MillisecondsUntil(deadline) == 0))
            return ready;
        wait.Pump();
    }
}

void SleepPumped(std::chrono::milliseconds duration) {
    IEventPump* pump = ActiveWaitPump();
    if (pump == nullptr || duration <= WaitPumpSlice) {
        std::this_thread::sleep_for(duration);
        return;
    }
    CPumpedWait wait(*pump);
    const auto deadline = Clock::now() + duration;
    for (int left; (left = MillisecondsUntil(deadline)) > 0;) {
        std::this_thread::sleep_for(std::min(WaitPumpSlice, std::chrono::milliseconds(left)));
        if (MillisecondsUntil(deadline) > 0)
            wait.Pump();
    }
}

void RunPumped(const std::function<void()>& call) {
    IEventPump* pump = ActiveWaitPump();
    if (pump == nullptr) {
        call();
        return;
    }
    std::future<void> done;
    try {
        done = std::async(std::launch::async, call);
    } catch (const std::system_error&) {
        // No thread to be had: the call blocks here, as it would without a pump.
        call();
        return;
    }
    CPumpedWait wait(*pump);
    while (done.wait_for(WaitPumpSlice) != std::future_status::ready)
        wait.Pump();
    done.get();
}
