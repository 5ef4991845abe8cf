#pragma once

class QWidget;

// A window whose size its contents decide (a dialog of fixed fields) offers no
// maximize button: window managers otherwise put one on every dialog, and a
// maximized dialog is only its fields on a large empty area. Call before the
// window is first shown.
void RemoveMaximizeButton(QWidget& window);

// The same, and the window's layout fixes its size to what its contents need.
// A window laid out in a vertical box, a grid or a form is also kept wide
// enough for its title (TitleBarWidth): a fixed window cannot be widened to
// read a title the window manager cut short. Call once the title is set.
void MakeFixedSize(QWidget& window);

// About how wide a window must be for the window manager to show its whole
// title beside the window's icon and three buttons. The title bar's font is the
// window manager's: the window's own font in bold stands in for it.
int TitleBarWidth(const QWidget& window);
