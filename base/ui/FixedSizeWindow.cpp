#include "base/ui/FixedSizeWindow.h"

#include <QBoxLayout>
#include <QFont>
#include <QFontMetrics>
#include <QWidget>

namespace {

// The icon and the buttons beside the title, with their gaps, in heights of a
// line of the title's font: three buttons, since some window managers draw a
// maximize button (inactive) even on a window of a fixed size.
constexpr int TitleBarExtraLines = 8;

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
        auto* box = qobject_cast<QBoxLayout*>(layout);
        if (box != nullptr && (box->direction() == QBoxLayout::TopToBottom ||
                               box->direction() == QBoxLayout::BottomToTop)) {
            const QMargins margins = box->contentsMargins();
            box->addStrut(TitleBarWidth(window) - margins.left() - margins.right());
        }
    }
    RemoveMaximizeButton(window);
}

int TitleBarWidth(const QWidget& window) {
    QFont font = window.font();
    font.setBold(true);
    const QFontMetrics metrics(font);
    return metrics.horizontalAdvance(window.windowTitle()) + TitleBarExtraLines * metrics.height();
}
