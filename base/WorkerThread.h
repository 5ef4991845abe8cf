#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "base/Event.h"

// A worker thread that can be waited for with a time-out.
class CWorkerThread {
public:
    CWorkerThread() = default;
    CWorkerThread(const CWorkerThread&) = delete;
    CWorkerThread& operator=(const CWorkerThread&) = delete;
    ~CWorkerThread();

    void Start(std::function<void()> body);
    bool IsRunning() const { return thread_.joinable() && !finished_->IsSet(); }
    bool WasStarted() const { return thread_.joinable(); }

    // Waits up to `limit` for the body to return. A worker that outlives the
    // limit is left to finish on its own (false): every wait inside a worker is
    // bounded, so that only happens when something is badly wrong.
    bool Stop(std::chrono::milliseconds limit);

private:
    std::thread thread_;
    // Shared with the thread, which may outlive this object (see Stop).
    std::shared_ptr<CEvent> finished_ = std::make_shared<CEvent>();
};
