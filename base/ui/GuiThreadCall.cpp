#include "base/ui/GuiThreadCall.h"

#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <atomic>
#include <chrono>
#include <memory>

#include "base/Event.h"

namespace {

struct PendingCall {
    std::function<void()> work;
    CEvent finished;
    std::atomic<bool> cancelled{false};
    std::atomic<bool> completed{false};
};

// Held only by the queued functor: when Qt destroys the functor, after running
// it or unrun because the context died, the waiting caller is released.
class ReleaseCaller {
public:
    explicit ReleaseCaller(std::shared_ptr<PendingCall> call) : call_(std::move(call)) {}
    ReleaseCaller(const ReleaseCaller&) = delete;
    ReleaseCaller& operator=(const ReleaseCaller&) = delete;
    ~ReleaseCaller() { call_->finished.Set(); }

private:
    std::shared_ptr<PendingCall> call_;
};

} // namespace

bool CallOnGuiThread(QObject& context, CEvent* abandon, std::function<void()> work) {
    if (QThread::currentThread() == context.thread()) {
        work();
        return true;
    }

    auto call = std::make_shared<PendingCall>();
    call->work = std::move(work);
    {
        auto release = std::make_shared<ReleaseCaller>(call);
        QMetaObject::invokeMethod(
            &context,
            [call, release] {
                if (call->cancelled.load())
                    return;
                call->work();
                call->completed.store(true);
            },
            Qt::QueuedConnection);
    }

    constexpr std::chrono::hours Forever{24};
    for (;;) {
        if (abandon == nullptr) {
            if (call->finished.Wait(Forever))
                return call->completed.load();
            continue;
        }
        switch (CEvent::WaitAny(call->finished, *abandon, Forever)) {
        case 0:
            return call->completed.load();
        case 1:
            call->cancelled.store(true);
            return call->completed.load();
        default:
            break;
        }
    }
}
