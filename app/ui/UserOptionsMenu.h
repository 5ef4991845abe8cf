#pragma once

class CCommLink;
class CMainFrame;
class CSettingsStore;
class IMessageBoxes;
class QAction;

// The options of menu "&User Options": the transfer safeguards "Verify Curve
// After Download" and "Back Up User Curve Before Download", and "End GPIB
// Replies at END" (given to the link as it changes), and "Log Date and
// Milliseconds" (read by each logging run as it starts), check items that show
// and store the settings of section "UserOptions" (all off at first).
struct UserOptionActions {
    QAction* verify = nullptr;
    QAction* backup = nullptr;
    QAction* gpibEnd = nullptr;
    QAction* preciseTime = nullptr;
};
UserOptionActions AddUserOptions(CMainFrame& frame, CSettingsStore& settings, IMessageBoxes& boxes,
                                 CCommLink& link);
