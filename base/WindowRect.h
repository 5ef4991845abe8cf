#pragma once

#include <string_view>

class CSettingsStore;

// A window's screen rectangle as the settings store keeps it: four integers
// "WinLeft", "WinTop", "WinRight", "WinBottom" in the window's own section.
struct WindowRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    // A rectangle without area (all zero on a first run) means no position is stored.
    bool IsEmpty() const { return right <= left || bottom <= top; }
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const WindowRect&) const = default;
};

WindowRect ReadWindowRect(const CSettingsStore& settings, std::string_view section);
// False when one of the four values could not be written.
bool WriteWindowRect(CSettingsStore& settings, std::string_view section, const WindowRect& rect);
