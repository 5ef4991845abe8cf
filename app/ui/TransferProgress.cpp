#include "app/ui/TransferProgress.h"

#include <QCoreApplication>
#include <QThread>
#include <QWidget>

#include "base/ui/UiText.h"

namespace {

// Transfers run on the GUI thread and keep it busy between updates; without
// this the box would not be drawn until the transfer had ended.
void PaintNow(bool onGuiThread) {
    if (onGuiThread)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace

CTransferProgress::CTransferProgress(QWidget& owner) : owner_(owner) {}

CTransferProgress::~CTransferProgress() {
    delete dialog_;
}

void CTransferProgress::RunOnGuiThread(std::function<void()> work) {
    if (QThread::currentThread() == thread())
        work();
    else
        QMetaObject::invokeMethod(this, std::move(work), Qt::QueuedConnection);
}

void CTransferProgress::OpenProgress(std::string_view caption) {
    const bool direct = QThread::currentThread() == thread();
    RunOnGuiThread([this, text = FromCoreText(caption), direct] {
        delete dialog_;
        dialog_ = new CTfrDlg(owner_.window());
        dialog_->SetCaption(text);
        dialog_->SetRange(0, 100);
        dialog_->show();
        PaintNow(direct);
    });
}

void CTransferProgress::SetProgress(int percent) {
    const bool direct = QThread::currentThread() == thread();
    RunOnGuiThread([this, percent, direct] {
        if (!dialog_)
            return;
        dialog_->SetPos(percent);
        PaintNow(direct);
    });
}

void CTransferProgress::CloseProgress() {
    RunOnGuiThread([this] { delete dialog_; });
}
