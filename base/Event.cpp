#include "base/Event.h"

std::mutex& CEvent::Mutex() {
    static std::mutex mutex;
    return mutex;
}

std::condition_variable& CEvent::Changed() {
    static std::condition_variable changed;
    return changed;
}

void CEvent::Set() {
    {
        std::lock_guard lock(Mutex());
        set_ = true;
    }
    Changed().notify_all();
}

void CEvent::Reset() {
    std::lock_guard lock(Mutex());
    set_ = false;
}

bool CEvent::IsSet() const {
    std::lock_guard lock(Mutex());
    return set_;
}

bool CEvent::Wait(std::chrono::milliseconds timeout) {
    std::unique_lock lock(Mutex());
    return Changed().wait_for(lock, timeout, [this] { return set_; });
}

int CEvent::WaitAny(CEvent& first, CEvent& second, std::chrono::milliseconds timeout) {
    std::unique_lock lock(Mutex());
    if (!Changed().wait_for(lock, timeout, [&] { return first.set_ || second.set_; }))
        return -1;
    return first.set_ ? 0 : 1;
}
