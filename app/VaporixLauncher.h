#pragma once

#include <string>

#include "base/UserInterface.h"

// The utility's side of the calculator: the "Vapor Pressure" button of the
// CalGen reference-point dialogs starts Vaporix, or closes it when it is open.
// The calculator runs as an independent process: the utility keeps no link
// to it and later finds it only by its window title (calc/TitleChannel.h).

enum class VaporixLaunch {
    Closed,     // a calculator was open and was asked to close
    Started,    // a new calculator was started
    NotFound,   // "Cannot find Vaporix" was shown
    NotStarted, // "Cannot launch Vaporix" was shown
};

// Asks an open calculator to close; otherwise starts `program` (a name) from
// the utility's own folder, else from PATH. Start failures are shown with the
// stop icon.
VaporixLaunch LaunchVaporix(IMessageBoxes& boxes, const std::string& program = "vaporix");

// Posts the close request to a window titled "Quillmere", if one is open, and
// does not wait for it; true when one was found.
bool CloseQuillmere();
