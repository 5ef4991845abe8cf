#pragma once

class QWidget;

// A window whose size its contents decide (a dialog of fixed fields) offers no
// maximize button: window managers otherwise put one on every dialog, and a
// maximized dialog is only its fields on a large empty area. Call before the
// window is first shown.
void RemoveMaximizeButton(QWidget& window);

// The same, and the window's layout fixes its size to what its contents need.
void MakeFixedSize(QWidget& window);
