#pragma once

#include <QIcon>
#include <QPixmap>

// The program's icon, drawn in code at the sizes window systems ask for: a
// thermometer with a frost-blue bulb on a dark tile.
QIcon CreateAppIcon();
// The icon at one size in pixels, also for the icon files the installation ships.
QPixmap DrawAppIcon(int size);
