#pragma once

#include <QIcon>

// The program's icon, drawn in code at the sizes window systems ask for: a
// thermometer with a frost-blue bulb on a dark tile.
QIcon CreateAppIcon();
