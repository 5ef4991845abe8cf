#include "base/ui/GuiThreadCall.h"

#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <atomic>
#include <chrono>
#include <memory>

#include "base/Event.h"
#include "base/ui/GuiEventPump.h"

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

// The queued half of a call. While the GUI thread waits for the instrument
// and pumps, it is put back in the queue: a worker's message could start a
// command in the middle of the one that waits.
struct QueuedWork {
    std::shared_ptr<PendingCall> call;
    std::shared_ptr<ReleaseCaller> release;
    QObject* context;

    void operator()() const {
        if (call->cancelled.load())
            return;
        if (CGuiEventPump::DeferWhilePumping(*context, *this))
            return;
        call->work();
        call->completed.store(true);
    }
};

} // namespace

bool CallOnGuiThread(QObject& context, CEvent* abandon, std::function<void()> work) {
    if (QThread::currentThread() == context.thread()) {
        work();
        return true;
    }

    auto call = std::make_shared<PendingCall>();
    call->work = std::move(work);
    QMetaObject::invokeMethod(&context,
                              QueuedWork{call, std::make_shared<ReleaseCaller>(call), &context},
                              Qt::QueuedConnection);

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
