#include "base/ui/FixedSizeWindow.h"

#include <QLayout>
#include <QWidget>

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
    if (QLayout* layout = window.layout())
        layout->setSizeConstraint(QLayout::SetFixedSize);
    RemoveMaximizeButton(window);
}
