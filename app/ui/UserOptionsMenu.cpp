#include "app/ui/UserOptionsMenu.h"

#include <QAction>
#include <QMenu>

#include "app/ui/MainFrame.h"
#include "base/SettingsStore.h"
#include "base/UserInterface.h"
#include "comm/CommLink.h"
#include "curves/CurveTransferOptions.h"
#include "logging/LoggingRun.h"

namespace {

QAction* AddOption(QMenu& menu, const char* text, const char* key, CSettingsStore& settings,
                   IMessageBoxes& boxes) {
    QAction* action = menu.addAction(QString::fromLatin1(text));
    action->setCheckable(true);
    action->setChecked(ReadUserOption(settings, key));
    QObject::connect(action, &QAction::toggled, &menu, [key, &settings, &boxes](bool on) {
        if (!StoreUserOption(settings, key, on))
            boxes.ShowMessage("Unable to Write to Initialization File", MessageIcon::Stop);
    });
    return action;
}

} // namespace

UserOptionActions AddUserOptions(CMainFrame& frame, CSettingsStore& settings, IMessageBoxes& boxes,
                                 CCommLink& link) {
    QMenu* menu = frame.Menu(QStringLiteral("&User Options"));
    if (menu == nullptr)
        return {};
    menu->addSeparator();
    UserOptionActions actions;
    actions.verify =
        AddOption(*menu, "Verify Curve After Download", VerifyCurveKey, settings, boxes);
    actions.backup =
        AddOption(*menu, "Back Up User Curve Before Download", BackupCurveKey, settings, boxes);
    actions.gpibEnd = AddOption(*menu, "End GPIB Replies at END", GpibEndKey, settings, boxes);
    // The link reads the option with its settings; a change applies from the next reply.
    QObject::connect(actions.gpibEnd, &QAction::toggled, menu,
                     [&link](bool on) { link.SetGpibEndsReplies(on); });
    actions.preciseTime =
        AddOption(*menu, "Log Date and Milliseconds", PreciseTimeKey, settings, boxes);
    return actions;
}
