#include "base/EventLoop.h"

#include <atomic>
#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include "base/Event.h"

struct CEventLoop::Pending {
    std::function<void()> work;
    CEvent finished;
    std::atomic<bool> cancelled{false};
    std::atomic<bool> completed{false};
};

CEventLoop::CEventLoop()
    : owner_(std::this_thread::get_id()), wakeFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

CEventLoop::~CEventLoop() {
    // Whoever still waits is released; its work never runs.
    std::lock_guard lock(mutex_);
    for (auto& pending : queue_) {
        pending->cancelled = true;
        pending->finished.Set();
    }
    queue_.clear();
    if (wakeFd_ >= 0)
        ::close(wakeFd_);
}

bool CEventLoop::Call(CEvent* abandon, std::function<void()> work) {
    if (std::this_thread::get_id() == owner_) {
        work();
        return true;
    }
    auto pending = std::make_shared<Pending>();
    pending->work = std::move(work);
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(pending);
    }
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(wakeFd_, &one, sizeof one);

    constexpr std::chrono::hours Forever{24};
    for (;;) {
        const int which = abandon ? CEvent::WaitAny(pending->finished, *abandon, Forever)
                                  : (pending->finished.Wait(Forever) ? 0 : -1);
        if (which == 0)
            return pending->completed;
        if (which == 1) {
            pending->cancelled = true;
            return pending->completed;
        }
    }
}

bool CEventLoop::RunFor(std::chrono::milliseconds timeout, int watchFd) {
    RunQueued();
    pollfd fds[2] = {{wakeFd_, POLLIN, 0}, {watchFd, POLLIN, 0}};
    const int count = ::poll(fds, watchFd >= 0 ? 2 : 1, static_cast<int>(timeout.count()));
    if (count > 0 && (fds[0].revents & POLLIN)) {
        std::uint64_t wakes = 0;
        [[maybe_unused]] const ssize_t ignored = ::read(wakeFd_, &wakes, sizeof wakes);
    }
    RunQueued();
    return count > 0 && watchFd >= 0 && (fds[1].revents & POLLIN);
}

void CEventLoop::RunQueued() {
    for (;;) {
        std::shared_ptr<Pending> pending;
        {
            std::lock_guard lock(mutex_);
            if (queue_.empty())
                return;
            pending = queue_.front();
            queue_.pop_front();
        }
        if (!pending->cancelled) {
            pending->work();
            pending->completed = true;
        }
        pending->finished.Set();
    }
}
