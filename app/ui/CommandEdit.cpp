#include "app/ui/CommandEdit.h"

#include <QKeyEvent>
#include <algorithm>

#include "comm/LinkResult.h"

CCommandEdit::CCommandEdit(QWidget* parent) : QLineEdit(parent) {
    // The link sends no longer line.
    setMaxLength(Link::MaxCommandLength);
}

const QString& CCommandEdit::TakeCommand() {
    const QString field = text();
    qsizetype lineEnd = field.size();
    for (QChar lineBreak : {QLatin1Char('\r'), QLatin1Char('\n')})
        if (const qsizetype at = field.indexOf(lineBreak); at >= 0)
            lineEnd = std::min(lineEnd, at);
    lastCommand_ = field.left(lineEnd);
    return lastCommand_;
}

namespace {

bool IsReturn(const QKeyEvent& event) {
    return event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter;
}

} // namespace

bool CCommandEdit::IsRepeat(const QKeyEvent& press) const {
    return press.isAutoRepeat() || returnDown_ ||
           (releaseKnown_ && press.timestamp() != 0 &&
            static_cast<quint32>(press.timestamp()) == lastRelease_);
}

bool CCommandEdit::CameDuringTransaction(const QKeyEvent& repeat) const {
    if (inFlight_)
        return true;
    if (!lastRunKnown_ || repeat.timestamp() == 0)
        return false;
    // Event times wrap around; the difference does not.
    const quint32 after = static_cast<quint32>(repeat.timestamp()) - lastRunStart_;
    return after < static_cast<quint32>(lastRunTook_.count());
}

void CCommandEdit::keyPressEvent(QKeyEvent* event) {
    if (!IsReturn(*event)) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const bool repeat = IsRepeat(*event);
    returnDown_ = true;
    if (repeat && CameDuringTransaction(*event)) {
        event->accept();
        return;
    }
    const auto start = std::chrono::steady_clock::now();
    inFlight_ = true;
    // Emits returnPressed: the terminal runs the transaction now.
    QLineEdit::keyPressEvent(event);
    inFlight_ = false;
    lastRunKnown_ = event->timestamp() != 0;
    lastRunStart_ = static_cast<quint32>(event->timestamp());
    lastRunTook_ =
        std::chrono::ceil<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
}

void CCommandEdit::keyReleaseEvent(QKeyEvent* event) {
    if (IsReturn(*event)) {
        returnDown_ = false;
        releaseKnown_ = event->timestamp() != 0;
        lastRelease_ = static_cast<quint32>(event->timestamp());
    }
    QLineEdit::keyReleaseEvent(event);
}

void CCommandEdit::focusOutEvent(QFocusEvent* event) {
    // The release of a key held while the focus left goes elsewhere.
    returnDown_ = false;
    QLineEdit::focusOutEvent(event);
}
