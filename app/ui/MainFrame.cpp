#include "app/ui/MainFrame.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

#include "app/SettingsStore.h"
#include "app/WindowRect.h"
#include "app/ui/AppIcon.h"
#include "app/ui/Titles.h"
#include "app/ui/VantorView.h"
#include "app/ui/WindowPlacement.h"

namespace {

// The size of a first run, when no rectangle is stored yet.
constexpr QSize DefaultSize(720, 480);

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

CMainFrame::CMainFrame(CSettingsStore& settings, QWidget* parent)
    : QMainWindow(parent), settings_(settings), view_(new CVantorView(settings)) {
    setWindowTitle(QStringLiteral("%1 - %2").arg(QString::fromLatin1(DocumentTitle),
                                                 QString::fromLatin1(AppTitle)));
    setCentralWidget(view_);
    CreateMenus();
    CreateStatusBar();
    RestorePlacement();
    setWindowIcon(CreateAppIcon());
}

void CMainFrame::CreateMenus() {
    commMenu_ = menuBar()->addMenu(QStringLiteral("&Comm"));
    AddCommand(commMenu_, QStringLiteral("E&xit"), [this] { close(); });

    viewMenu_ = menuBar()->addMenu(QStringLiteral("&View"));
    QAction* statusBarCommand = viewMenu_->addAction(QStringLiteral("&Status Bar"));
    statusBarCommand->setCheckable(true);
    statusBarCommand->setChecked(true);
    connect(statusBarCommand, &QAction::toggled, this,
            [this](bool shown) { statusBar()->setVisible(shown); });

    helpMenu_ = menuBar()->addMenu(QStringLiteral("&Help"));
    AddCommand(helpMenu_, QStringLiteral("&About .."), [this] { Q_EMIT AboutRequested(); });
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
        setGeometry(CentredOnScreen(DefaultSize));
    else
        setGeometry(stored);
}

void CMainFrame::SavePlacement() {
    if (IsNormalState(*this))
        WriteWindowRect(settings_, PlacementSection, ToWindowRect(geometry()));
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    SavePlacement();
    QMainWindow::closeEvent(event);
}
