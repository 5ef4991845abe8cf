#pragma once

#include <QObject>
#include <chrono>
#include <functional>

#include "base/UserInterface.h"

// The window thread's pump for the waits of base/BusyWait.h: windows repaint
// and timers run, but user input stays queued until the wait is over, so no
// command can start in the middle of another. The workers' send-and-wait calls
// (CallOnGuiThread) are held back as well, for the same reason: a lost
// connection reported by a worker must not drop the LAN link under a read.
// Once a wait has lasted BusyCursorDelay the busy cursor shows; it goes when
// the program is back in its event loop, so a run of short exchanges does not
// make it flicker.
class CGuiEventPump : public QObject, public IEventPump {
public:
    static constexpr std::chrono::milliseconds BusyCursorDelay{100};

    CGuiEventPump();
    ~CGuiEventPump() override;
    CGuiEventPump(const CGuiEventPump&) = delete;
    CGuiEventPump& operator=(const CGuiEventPump&) = delete;

    void ProcessEvents() override;
    void WaitStarted() override;
    void WaitEnded() override;

    bool ShowsBusyCursor() const { return busyCursor_; }

    // True while some pump processes events on the calling thread: queued work
    // that could start a command must wait (see DeferWhilePumping).
    static bool IsPumping();
    // Queues `work` again on `context` once the pump has finished, when it is
    // pumping now; false when it is not and the caller may run the work at once.
    static bool DeferWhilePumping(QObject& context, const std::function<void()>& work);

private:
    void RestoreCursorWhenIdle();

    int waits_ = 0;
    std::chrono::steady_clock::time_point firstWaitStart_;
    std::chrono::steady_clock::time_point lastWaitEnd_;
    bool busyCursor_ = false;
};
