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
    // Room for the window manager's frame, so that the frame stays on the screen too.
    constexpr int FrameRoom = 8;
    const QSize room(2 * FrameRoom, 2 * FrameRoom);
    QRect rect(QPoint(0, 0), size.boundedTo(available.size() - room));
    rect.moveCenter(available.center());
    return rect;
}

QPoint BesidePlace(const QSize& window, const QRect& mainWindow, const QRect& available) {
    const int w = window.width();
    const int h = window.height();
    const QPoint candidates[] = {
        {mainWindow.x() + mainWindow.width(), mainWindow.y()},
        {mainWindow.x() - w, mainWindow.y()},
        {mainWindow.x(), mainWindow.y() + mainWindow.height()},
        {mainWindow.x(), mainWindow.y() - h},
    };
    for (const QPoint& place : candidates)
        if (available.contains(QRect(place, window)))
            return place;
    const int right = available.x() + available.width();
    const int bottom = available.y() + available.height();
    const int x = std::max(available.x(), std::min(mainWindow.x() + mainWindow.width(), right) - w);
    const int y =
        std::max(available.y(), std::min(mainWindow.y() + mainWindow.height(), bottom) - h);
    return {x, y};
}
