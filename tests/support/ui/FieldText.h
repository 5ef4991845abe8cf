#pragma once

#include <QLineEdit>
#include <QString>

// Whether `field` shows its whole text at once: with the caret at the end the
// text starts as far left as with the caret at the start, that is, the field
// did not have to scroll it. A line edit scrolls its text while it paints, so
// each position is painted before it is measured.
inline bool ShowsWholeText(QLineEdit& field) {
    const auto caretX = [&field](int position) {
        field.setCursorPosition(position);
        field.grab();
        return field.inputMethodQuery(Qt::ImCursorRectangle).toRect().x();
    };
    const int end = caretX(static_cast<int>(field.text().size()));
    const int start = caretX(0);
    return end - start >= field.fontMetrics().horizontalAdvance(field.text()) - 1;
}
