#include "app/ui/CommandEdit.h"

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
