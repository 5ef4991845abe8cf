#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class CEvent;

// The stand-in for the GUI thread of a front end without windows (the CLI, the
// Python module): workers hand it work and wait until the main thread has run
// it, as they wait for the view to handle their messages. A worker gives up
// waiting once `abandon` is set (the program is ending and the main thread
// waits for the workers); work that has not started then never starts.
class CEventLoop {
public:
    CEventLoop();
    ~CEventLoop();
    CEventLoop(const CEventLoop&) = delete;
    CEventLoop& operator=(const CEventLoop&) = delete;

    // From any thread; on the main thread the work runs at once. True when it ran.
    bool Call(CEvent* abandon, std::function<void()> work);

    // On the main thread: runs the queued work, waiting at most `timeout` for
    // some to come. Returns true when `watchFd` (if not -1) became readable.
    bool RunFor(std::chrono::milliseconds timeout, int watchFd = -1);

private:
    struct Pending;

    void RunQueued();

    std::thread::id owner_; // the thread that made the loop runs the work
    int wakeFd_;
    std::mutex mutex_;
    std::deque<std::shared_ptr<Pending>> queue_;
};
