#pragma once

// The state of the connection to the instrument, as the shortcut bar shows it;
// also the index of the bar's lamp image.
enum ShortcutStatus : int {
    StatusConnected = 0,
    StatusNotConnected = 1,
    StatusError = 2,
};
