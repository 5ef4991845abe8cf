#include "base/ui/FixedSizeWindow.h"

#include <QBoxLayout>
#include <QFont>
#include <QFontMetrics>
#include <QFormLayout>
#include <QGridLayout>
#include <QSpacerItem>
#include <QWidget>

namespace {

// The icon and the buttons beside the title, with their gaps, in heights of a
// line of the title's font: three buttons, since some window managers draw a
// maximize button (inactive) even on a window of a fixed size.
constexpr int TitleBarExtraLines = 8;

// Keeps the layout's contents at least `width` wide. A vertical box takes a
// strut, a grid or a form a row of nothing across all its columns; a
// horizontal box has no such room and is left as it is.
void ReserveWidth(QLayout& layout, int width) {
    const auto spacer = [width] {
        return new QSpacerItem(width, 0, QSizePolicy::Fixed, QSizePolicy::Minimum);
    };
    if (auto* box = qobject_cast<QBoxLayout*>(&layout)) {
        if (box->direction() == QBoxLayout::TopToBottom ||
            box->direction() == QBoxLayout::BottomToTop)
            box->addStrut(width);
    } else if (auto* grid = qobject_cast<QGridLayout*>(&layout)) {
        grid->addItem(spacer(), grid->rowCount(), 0, 1, grid->columnCount());
    } else if (auto* form = qobject_cast<QFormLayout*>(&layout)) {
        form->setItem(form->rowCount(), QFormLayout::SpanningRole, spacer());
    }
}

} // namespace

void RemoveMaximizeButton(QWidget& window) {
    // Without CustomizeWindowHint the window manager chooses the buttons itself.
    Qt::WindowFlags flags = window.windowFlags() | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    flags &= ~Qt::WindowMaximizeButtonHint;
    if (window.windowType() == Qt::Window)
        flags |= Qt::WindowMinimizeButtonHint;
    window.setWindowFlags(flags);
}

void MakeFixedSize(QWidget& window) {
    if (QLayout* layout = window.layout()) {
        layout->setSizeConstraint(QLayout::SetFixedSize);
        const QMargins margins = layout->contentsMargins();
        ReserveWidth(*layout, TitleBarWidth(window) - margins.left() - margins.right());
    }
    RemoveMaximizeButton(window);
}

int TitleBarWidth(const QWidget& window) {
    QFont font = window.font();
    font.setBold(true);
    const QFontMetrics metrics(font);
    return metrics.horizontalAdvance(window.windowTitle()) + TitleBarExtraLines * metrics.height();
}
