#include "app/ui/UserOptionsMenu.h"

#include <QAction>
#include <QMenu>

#include "app/ui/MainFrame.h"
#include "base/SettingsStore.h"
#include "base/UserInterface.h"
#include "curves/CurveTransferOptions.h"

namespace {

QAction* AddOption(QMenu& menu, const char* text, const char* key, CSettingsStore& settings,
                   IMessageBoxes& boxes) {
    QAction* action = menu.addAction(QString::fromLatin1(text));
    action->setCheckable(true);
    action->setChecked(settings.GetInt(UserOptionsSection, key, 0) != 0);
    QObject::connect(action, &QAction::toggled, &menu, [key, &settings, &boxes](bool on) {
        if (!StoreUserOption(settings, key, on))
            boxes.ShowMessage("Unable to Write to Initialization File", MessageIcon::Stop);
    });
    return action;
}

} // namespace

UserOptionActions AddUserOptions(CMainFrame& frame, CSettingsStore& settings,
                                 IMessageBoxes& boxes) {
    QMenu* menu = frame.Menu(QStringLiteral("&User Options"));
    if (menu == nullptr)
        return {};
    menu->addSeparator();
    UserOptionActions actions;
    actions.verify =
        AddOption(*menu, "Verify Curve After Download", VerifyCurveKey, settings, boxes);
    actions.backup =
        AddOption(*menu, "Back Up User Curve Before Download", BackupCurveKey, settings, boxes);
    return actions;
}
