#pragma once

#include <QIcon>
#include <QPixmap>

// The calculator's pictures, drawn in code: a round flask of boiling liquid
// with its vapor rising, on a dark teal tile.
QIcon CreateVaporixIcon();
// The icon at one size in pixels, also for the icon files the installation ships.
QPixmap DrawVaporixIcon(int size);
// The banner at the top of the dialog: the flask, the program's name and what it does.
QPixmap CreateVaporixBanner();
