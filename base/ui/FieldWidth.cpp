#include "base/ui/FieldWidth.h"

#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>

namespace {

// QLineEdit keeps this much room on either side of its text.
constexpr int TextSideMargin = 2;
// The caret after the last character.
constexpr int CaretWidth = 1;

} // namespace

int FieldWidthFor(const QLineEdit& field, const QString& text) {
    QStyleOptionFrame option;
    option.initFrom(&field);
    option.lineWidth =
        field.hasFrame() ? field.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &field)
                         : 0;
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    const QMargins margins = field.textMargins();
    const QSize inner(field.fontMetrics().horizontalAdvance(text) + 2 * TextSideMargin +
                          CaretWidth + margins.left() + margins.right(),
                      field.fontMetrics().height());
    return field.style()->sizeFromContents(QStyle::CT_LineEdit, &option, inner, &field).width();
}
