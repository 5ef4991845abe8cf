#pragma once

#include <QIcon>
#include <QPixmap>

// The calculator's pictures, drawn in code: a round flask of boiling liquid
// with its vapor rising, on a dark teal tile.
QIcon CreateVaporixIcon();
// The banner at the top of the dialog: the flask, the program's name and what it does.
QPixmap CreateVaporixBanner();
