#include "app/ui/VantorView.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include "app/VantorCore.h"
#include "app/ui/UiText.h"

CVantorView::CVantorView(CSettingsStore& settings, QWidget* parent)
    : QWidget(parent), log_(new QPlainTextEdit), boxes_(*this), progress_(*this),
      core_(std::make_unique<CVantorCore>(settings, boxes_, *this, progress_)) {
    boxes_.SetAbandonEvent(&core_->StopEvent());

    log_->setReadOnly(true);
    log_->setLineWrapMode(QPlainTextEdit::NoWrap);
    log_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    log_->setFrameShape(QFrame::NoFrame);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(log_);
}

CVantorView::~CVantorView() {
    // Workers waiting for a box give up now; the core then ends them.
    core_->StopEvent().Set();
    core_.reset();
    boxes_.SetAbandonEvent(nullptr);
}

void CVantorView::AppendLog(std::string_view text) {
    const QString converted = FromCoreText(text);
    bool flushPending = false;
    {
        std::lock_guard lock(pendingMutex_);
        flushPending = !pendingLog_.isEmpty();
        pendingLog_ += converted;
    }
    // The GUI thread draws at once, after any worker text still waiting, so the
    // log keeps the order of the calls.
    if (QThread::currentThread() == thread())
        FlushLog();
    else if (!flushPending)
        QMetaObject::invokeMethod(this, &CVantorView::FlushLog, Qt::QueuedConnection);
}

void CVantorView::FlushLog() {
    QString text;
    {
        std::lock_guard lock(pendingMutex_);
        text.swap(pendingLog_);
    }
    if (!text.isEmpty())
        AppendToLog(text);
}

void CVantorView::AppendToLog(const QString& text) {
    // Log texts carry their own line ends, CR LF, LF or a lone CR.
    QString normalised = text;
    normalised.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    normalised.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QTextCursor cursor(log_->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(normalised);
    log_->verticalScrollBar()->setValue(log_->verticalScrollBar()->maximum());
}

QString CVantorView::LogText() const {
    return log_->toPlainText();
}

void CVantorView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (firstShowQueued_)
        return;
    firstShowQueued_ = true;
    // After the frame is on screen, so that a box raised here has a window to sit over.
    QTimer::singleShot(0, this, &CVantorView::OnInitialUpdate);
}

void CVantorView::OnInitialUpdate() {
    core_->Link().LoadSettings();
    initialised_ = true;
}
