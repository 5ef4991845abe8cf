#include "app/ui/MainFrame.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

#include "app/VantorCore.h"
#include "app/ui/AppIcon.h"
#include "app/ui/CommandTable.h"
#include "app/ui/MenuStyle.h"
#include "app/ui/Titles.h"
#include "app/ui/UserOptionsMenu.h"
#include "app/ui/VantorView.h"
#include "base/SettingsStore.h"
#include "base/WindowRect.h"
#include "base/ui/UiText.h"
#include "base/ui/WindowPlacement.h"

namespace {

// A command's enabling rule, a child of its action so that the two go together.
class CommandRule : public QObject {
public:
    CommandRule(std::function<bool()> rule, QAction* action)
        : QObject(action), rule_(std::move(rule)) {}
    bool Enabled() const { return rule_(); }

private:
    std::function<bool()> rule_;
};

} // namespace

CMainFrame::CMainFrame(CSettingsStore& settings, CVantorDoc& doc, QWidget* parent)
    : QMainWindow(parent), settings_(settings), view_(new CVantorView(settings, doc)),
      menuStyle_(new CMenuStyle) {
    setWindowTitle(QStringLiteral("%1 - %2").arg(QString::fromLatin1(DocumentTitle),
                                                 QString::fromLatin1(AppTitle)));
    setCentralWidget(view_);
    CreateMenus();
    AddUserOptions(*this, settings_, view_->MessageBoxes(), view_->Core().Link());
    CreateStatusBar();
    RestorePlacement();
    setWindowIcon(CreateAppIcon());
}

void CMainFrame::CreateMenus() {
    for (std::string_view title : MenuTitles)
        MenuAt(title);
    for (const CommandInfo& info : CommandTable) {
        QMenu* menu = MenuAt(info.menu);
        if (info.separatorBefore)
            menu->addSeparator();
        const MenuCommand command = info.command;
        QAction* action = AddCommand(
            menu, FromCoreText(info.text), [this, command] { RunCommand(command); },
            [this, command] { return IsCommandOffered(command); });
        action->setStatusTip(FromCoreText(info.prompt));
        commands_[static_cast<std::size_t>(command)] = action;
    }

    // Ctrl+Q ends the program from any of its windows, as desktop programs do.
    CommandAction(MenuCommand::Exit)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    CommandAction(MenuCommand::Exit)->setShortcutContext(Qt::ApplicationShortcut);

    QAction* statusBarCommand = CommandAction(MenuCommand::StatusBar);
    statusBarCommand->setCheckable(true);
    statusBarCommand->setChecked(true);

    for (QMenu* menu : std::as_const(menusWithEnablers_))
        UpdateCommands(menu);
    // A child made after the menus goes after them.
    menuStyle_->setParent(this);
}

QMenu* CMainFrame::MenuAt(std::string_view path) {
    const QString key = FromCoreText(path);
    if (QMenu* menu = menus_.value(key))
        return menu;
    const std::size_t slash = path.rfind('/');
    QMenu* menu =
        slash == std::string_view::npos
            ? menuBar()->addMenu(key)
            : MenuAt(path.substr(0, slash))->addMenu(FromCoreText(path.substr(slash + 1)));
    menu->setStyle(menuStyle_);
    menus_.insert(key, menu);
    return menu;
}

QAction* CMainFrame::CommandAction(MenuCommand command) const {
    return commands_[static_cast<std::size_t>(command)];
}

bool CMainFrame::IsCommandOffered(MenuCommand command) const {
    return CommandInfoOf(command).built && IsCommandEnabled(command, view_->Context());
}

void CMainFrame::RunCommand(MenuCommand command) {
    // The state may have changed since the menu opened.
    if (!IsCommandOffered(command))
        return;
    switch (command) {
    case MenuCommand::StatusBar:
        statusBar()->setVisible(CommandAction(MenuCommand::StatusBar)->isChecked());
        break;
    case MenuCommand::About:
        Q_EMIT AboutRequested();
        break;
    case MenuCommand::Exit:
        close();
        break;
    default:
        view_->OnCommand(command);
        break;
    }
}

QAction* CMainFrame::AddCommand(QMenu* menu, const QString& text, std::function<void()> handler,
                                std::function<bool()> enabledWhen, QAction* before) {
    auto* action = new QAction(text, menu);
    menu->insertAction(before, action);
    connect(action, &QAction::triggered, this, [handler = std::move(handler)] { handler(); });
    if (enabledWhen) {
        new CommandRule(std::move(enabledWhen), action);
        if (!menusWithEnablers_.contains(menu)) {
            menusWithEnablers_.append(menu);
            connect(menu, &QMenu::aboutToShow, this, [this, menu] { UpdateCommands(menu); });
        }
    }
    return action;
}

void CMainFrame::UpdateCommands(QMenu* menu) {
    const auto actions = menu->actions();
    for (QAction* action : actions)
        for (QObject* child : action->children())
            if (auto* rule = dynamic_cast<CommandRule*>(child))
                action->setEnabled(rule->Enabled());
}

void CMainFrame::CreateStatusBar() {
    // The one message pane: "Ready" when idle; menu prompts cover it while shown.
    auto* messagePane = new QLabel(QStringLiteral("Ready"));
    statusBar()->addWidget(messagePane, 1);
}

void CMainFrame::RestorePlacement() {
    const QRect stored = ToQRect(ReadWindowRect(settings_, PlacementSection));
    if (stored.isEmpty() || !IsOnAnyScreen(stored))
        setGeometry(CentredOnScreen(view_->FirstRunSize()));
    else
        setGeometry(stored);
}

void CMainFrame::SavePlacement() {
    if (IsNormalState(*this))
        WriteWindowRect(settings_, PlacementSection, ToWindowRect(geometry()));
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    SavePlacement();
    view_->SaveShortcutBarPlace();
    QMainWindow::closeEvent(event);
}
