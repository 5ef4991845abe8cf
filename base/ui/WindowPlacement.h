#pragma once

#include <QRect>

#include "base/WindowRect.h"

class QWidget;

// Stored rectangles have exclusive right and bottom edges. Windows store and
// restore their geometry() (the area inside the window manager's frame), the
// same measure both ways, so a window does not creep from run to run.
WindowRect ToWindowRect(const QRect& rect);
QRect ToQRect(const WindowRect& rect);

// Neither minimised, maximised nor full screen: only then is a window's
// rectangle worth remembering.
bool IsNormalState(const QWidget& window);

// True when some part of the rectangle lies on one of the screens; a rectangle
// remembered from a screen that is gone is not.
bool IsOnAnyScreen(const QRect& rect);

// A rectangle of this size, centred on the available area of the primary
// screen; at most that area less a few pixels for the window's frame.
QRect CentredOnScreen(const QSize& size);

// Where a window of this size goes beside the main window (both as frame
// rectangles) so that it covers none of it, on the screen area `available`:
// right of it, tops equal; else left of it; else below it, left edges equal;
// else above it. When none of these fits, inside the main window's
// bottom-right corner, kept on the screen. Returns the window's top-left corner.
QPoint BesidePlace(const QSize& window, const QRect& mainWindow, const QRect& available);
