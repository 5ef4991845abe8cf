#pragma once

#include <QDockWidget>

class CSettingsStore;
class QMainWindow;

// The shortcut bar's place: a dock on the right of the main window, beside the
// message log rather than over it. The user may float it on its own or dock it
// on the left; where it was put is remembered in section "SHORTCUTPOS" ("Floating",
// "DockArea", and the floating window's rectangle as "WinLeft" .. "WinBottom").
class CShortcutDock : public QDockWidget {
public:
    static constexpr char PlacementSection[] = "SHORTCUTPOS";

    // Takes `bar` as its content (scrolled when the window is shorter than
    // it) and puts itself where it was last, in
    // `frame` (null: floating on its own).
    CShortcutDock(CSettingsStore& settings, QWidget* bar, QMainWindow* frame);

    // Writes the place down; also done whenever it docks elsewhere or floats.
    void SavePlace();

private:
    CSettingsStore& settings_;
    QMainWindow* frame_;
};
