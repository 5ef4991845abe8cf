#pragma once

class CMainFrame;
class CSettingsStore;
class IMessageBoxes;
class QAction;

// The transfer safeguards of menu "&User Options": "Verify Curve After
// Download" and "Back Up User Curve Before Download", check items that show
// and store the settings of section "UserOptions" (both off at first).
struct UserOptionActions {
    QAction* verify = nullptr;
    QAction* backup = nullptr;
};
UserOptionActions AddUserOptions(CMainFrame& frame, CSettingsStore& settings, IMessageBoxes& boxes);
