#include "base/ui/GuiEventPump.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>
#include <utility>
#include <vector>

namespace {

struct DeferredWork {
    QPointer<QObject> context;
    std::function<void()> work;
};

// Both belong to the window thread, the only one that pumps.
int pumpDepth = 0;
std::vector<DeferredWork>& Deferred() {
    static std::vector<DeferredWork> deferred;
    return deferred;
}

// Posts the held-back work again, in the order it came; a context that is gone
// takes its work with it, as Qt drops the queued calls of a destroyed object.
void RepostDeferred() {
    std::vector<DeferredWork> deferred;
    deferred.swap(Deferred());
    for (DeferredWork& item : deferred)
        if (item.context)
            QMetaObject::invokeMethod(item.context.data(), std::move(item.work),
                                      Qt::QueuedConnection);
}

} // namespace

CGuiEventPump::CGuiEventPump() = default;

CGuiEventPump::~CGuiEventPump() {
    if (busyCursor_)
        QGuiApplication::restoreOverrideCursor();
}

bool CGuiEventPump::IsPumping() {
    return pumpDepth > 0;
}

bool CGuiEventPump::DeferWhilePumping(QObject& context, const std::function<void()>& work) {
    if (!IsPumping())
        return false;
    Deferred().push_back({QPointer<QObject>(&context), work});
    return true;
}

void CGuiEventPump::ProcessEvents() {
    if (waits_ > 0 && !busyCursor_ &&
        std::chrono::steady_clock::now() - firstWaitStart_ >= BusyCursorDelay &&
        qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        busyCursor_ = true;
    }
    ++pumpDepth;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                    QEventLoop::ExcludeSocketNotifiers);
    --pumpDepth;
    if (pumpDepth == 0)
        RepostDeferred();
}

void CGuiEventPump::WaitStarted() {
    // Waits that follow each other closely (the exchanges of one transfer)
    // count as one for the cursor.
    const auto now = std::chrono::steady_clock::now();
    if (waits_++ == 0 && !busyCursor_ && now - lastWaitEnd_ > BusyCursorDelay)
        firstWaitStart_ = now;
}

void CGuiEventPump::WaitEnded() {
    if (--waits_ > 0)
        return;
    lastWaitEnd_ = std::chrono::steady_clock::now();
    if (busyCursor_)
        RestoreCursorWhenIdle();
}

void CGuiEventPump::RestoreCursorWhenIdle() {
    // A zero timer runs once the handler that waited has returned to the event
    // loop; when it runs inside the next wait's pump instead, that wait's end
    // asks again.
    QTimer::singleShot(0, this, [this] {
        if (waits_ == 0 && busyCursor_) {
            QGuiApplication::restoreOverrideCursor();
            busyCursor_ = false;
        }
    });
}
