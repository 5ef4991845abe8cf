#include "base/ui/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

WindowRect ToWindowRect(const QRect& rect) {
    return {rect.x(), rect.y(), rect.x() + rect.width(), rect.y() + rect.height()};
}

QRect ToQRect(const WindowRect& rect) {
    return QRect(rect.left, rect.top, rect.Width(), rect.Height());
}

bool IsNormalState(const QWidget& window) {
    return (window.windowState() &
            (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) == 0;
}

bool IsOnAnyScreen(const QRect& rect) {
    const auto screens = QGuiApplication::screens();
    return std::any_of(screens.begin(), screens.end(), [&rect](const QScreen* screen) {
        return screen->geometry().intersects(rect);
    });
}

QRect CentredOnScreen(const QSize& size) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return QRect(QPoint(0, 0), size);
    const QRect available = screen->availableGeometry();
    QRect rect(QPoint(0, 0), size.boundedTo(available.size()));
    rect.moveCenter(available.center());
    return rect;
}

QPoint ShortcutBarPlace(const QSize& bar, const QRect& mainWindow, const QRect& screen) {
    constexpr int Inside = 50;
    const int mainRight = mainWindow.x() + mainWindow.width();
    const QPoint place(bar.width() < mainWindow.width() ? mainRight - bar.width() : mainRight,
                       mainWindow.y());
    if (place.x() - screen.x() < screen.width() - Inside &&
        place.y() - screen.y() < screen.height() - Inside)
        return place;
    return {screen.x() + (screen.width() - bar.width()) / 2,
            screen.y() + (screen.height() - bar.height()) / 2};
}
