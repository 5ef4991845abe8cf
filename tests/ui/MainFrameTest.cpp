#include <QAction>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTest>
#include <gtest/gtest.h>

#include "app/VantorCore.h"
#include "app/ui/MainFrame.h"
#include "app/ui/VantorApp.h"
#include "app/ui/VantorView.h"
#include "support/TempDir.h"
#include "ui/UiTestHelpers.h"

namespace {

QStringList Texts(const QList<QAction*>& actions) {
    QStringList texts;
    for (const QAction* action : actions)
        if (!action->isSeparator())
            texts << action->text();
    return texts;
}

// Every item as "menu/sub-menu/item" in menu order, "-" for a separator.
void ListItems(const QMenu* menu, const QString& path, QStringList& items) {
    const auto actions = menu->actions();
    for (const QAction* action : actions) {
        if (action->isSeparator())
            items << path + "/-";
        else if (const QMenu* sub = action->menu())
            ListItems(sub, path + "/" + action->text(), items);
        else
            items << path + "/" + action->text();
    }
}

// Opens the menus down to the one holding `action` from the menu bar, as a
// user would (a prompt goes to the frame through the menu bar). The open menus,
// outermost first.
std::vector<QMenu*> OpenMenusTo(CMainFrame& frame, QAction* action) {
    std::vector<QMenu*> menus;
    for (auto* menu = qobject_cast<QMenu*>(action->parent()); menu != nullptr;
         menu = qobject_cast<QMenu*>(menu->parent()))
        menus.insert(menus.begin(), menu);
    if (menus.empty())
        return menus;
    frame.menuBar()->setActiveAction(menus.front()->menuAction());
    for (std::size_t i = 1; i < menus.size(); ++i) {
        menus[i - 1]->setActiveAction(menus[i]->menuAction());
        QTest::keyClick(menus[i - 1], Qt::Key_Right);
    }
    if (!QTest::qWaitFor([&] { return menus.back()->isVisible(); }))
        return {};
    return menus;
}

class MainFrameTest : public ::testing::Test {
protected:
    void SetUp() override { WriteQuietSettings(path_); }

    // One run of the program up to the end of the frame's first show.
    std::unique_ptr<CVantorApp> Start() {
        auto app = std::make_unique<CVantorApp>(path_);
        app->InitInstance();
        EXPECT_TRUE(QTest::qWaitFor([&] { return app->MainFrame()->View().IsInitialised(); }));
        return app;
    }

    TempDir dir_;
    std::string path_ = dir_.File("Tundrix.INI");
};

TEST_F(MainFrameTest, ShowsTitleMenusAndReadyStatus) {
    auto app = Start();
    CMainFrame& frame = *app->MainFrame();

    EXPECT_EQ(frame.windowTitle(), "Borea Utility Software - Tundrix Utility Software");
    EXPECT_FALSE(frame.windowIcon().isNull());
    EXPECT_EQ(
        Texts(frame.menuBar()->actions()),
        QStringList({"&Comm", "&Operations", "&Data Logging", "&View", "&Help", "&User Options"}));
    QStringList items;
    const auto menus = frame.menuBar()->actions();
    for (const QAction* menu : menus)
        ListItems(menu->menu(), menu->text(), items);
    EXPECT_EQ(items, QStringList({
                         "&Comm/&Connect",
                         "&Comm/&Port Select...",
                         "&Comm/&RS232 Set Up...",
                         "&Comm/-",
                         "&Comm/&Share Instrument...",
                         "&Comm/-",
                         "&Comm/E&xit",
                         "&Operations/Sensor Curve/&Download",
                         "&Operations/Sensor Curve/&Upload",
                         "&Operations/Sensor Curve/&Convert",
                         "&Operations/PID Table/&Download",
                         "&Operations/PID Table/&Upload",
                         "&Operations/CalGen/Diode/&1 Point (300K)",
                         "&Operations/CalGen/Diode/&2 Points",
                         "&Operations/CalGen/Diode/&3 Points",
                         "&Operations/CalGen/Diode/1 Point (&4.2K)",
                         "&Operations/CalGen/&Platinum",
                         "&Operations/S&tandard Curve...",
                         "&Operations/-",
                         "&Operations/Send Command File",
                         "&Data Logging/&Start",
                         "&Data Logging/&Upload Internal DataLog",
                         "&View/&Status Bar",
                         "&View/&Shortcut",
                         "&View/-",
                         "&View/CH A Monitor",
                         "&View/CH B Monitor",
                         "&View/CH C Monitor",
                         "&View/CH D Monitor",
                         "&View/CH E Monitor",
                         "&View/CH F Monitor",
                         "&View/CH G Monitor",
                         "&View/CH H Monitor",
                         "&View/Heater 1  Monitor",
                         "&View/Heater 2 Monitor",
                         "&View/Analog 1 Monitor",
                         "&View/Analog 2 Monitor",
                         "&Help/&About ..",
                         "&User Options/&Interact",
                         "&User Options/-",
                         "&User Options/Verify Curve After Download",
                         "&User Options/Back Up User Curve Before Download",
                         "&User Options/End GPIB Replies at END",
                         "&User Options/Log Date and Milliseconds",
                     }));

    const auto panes = frame.statusBar()->findChildren<QLabel*>();
    ASSERT_EQ(panes.size(), 1);
    EXPECT_EQ(panes[0]->text(), "Ready");
    EXPECT_TRUE(panes[0]->isVisible());
}

TEST_F(MainFrameTest, StatusBarCommandHidesAndShowsTheStatusBar) {
    auto app = Start();
    CMainFrame& frame = *app->MainFrame();
    QAction* command = frame.CommandAction(MenuCommand::StatusBar);
    ASSERT_NE(command, nullptr);
    ASSERT_TRUE(command->isCheckable());
    EXPECT_TRUE(command->isChecked());
    EXPECT_TRUE(frame.statusBar()->isVisible());

    command->trigger();
    EXPECT_FALSE(command->isChecked());
    EXPECT_FALSE(frame.statusBar()->isVisible());

    command->trigger();
    EXPECT_TRUE(command->isChecked());
    EXPECT_TRUE(frame.statusBar()->isVisible());
}

TEST_F(MainFrameTest, FirstRunIsCentredAndExitStoresTheRectangleForTheNextRun) {
    {
        auto app = Start();
        CMainFrame& frame = *app->MainFrame();
        const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
        EXPECT_LE((frame.geometry().center() - screenCentre).manhattanLength(), 2);

        frame.setGeometry(60, 70, 500, 320);
        ASSERT_TRUE(QTest::qWaitFor([&] { return frame.geometry() == QRect(60, 70, 500, 320); }));
        frame.CommandAction(MenuCommand::Exit)->trigger();
        EXPECT_FALSE(frame.isVisible());
    }
    EXPECT_EQ(StoredRect(path_, "MAINVIEWPOS"), (WindowRect{60, 70, 560, 390}));

    auto app = Start();
    EXPECT_EQ(app->MainFrame()->geometry(), QRect(60, 70, 500, 320));
}

TEST_F(MainFrameTest, ClosingMaximisedOrMinimisedLeavesTheStoredRectangle) {
    const WindowRect stored{30, 40, 530, 440};
    {
        CSettingsStore settings(path_);
        settings.Load();
        WriteWindowRect(settings, "MAINVIEWPOS", stored);
    }
    for (auto state : {Qt::WindowMaximized, Qt::WindowMinimized}) {
        auto app = Start();
        CMainFrame& frame = *app->MainFrame();
        EXPECT_EQ(frame.geometry(), QRect(30, 40, 500, 400));
        frame.setWindowState(state);
        ASSERT_TRUE(QTest::qWaitFor([&] { return frame.windowState() == state; }));
        frame.close();
        EXPECT_EQ(StoredRect(path_, "MAINVIEWPOS"), stored) << "state " << state;
    }
}

TEST_F(MainFrameTest, RectangleOffEveryScreenGivesWayToACentredFrame) {
    {
        CSettingsStore settings(path_);
        settings.Load();
        WriteWindowRect(settings, "MAINVIEWPOS", {9000, 9000, 9600, 9400});
    }
    auto app = Start();
    EXPECT_TRUE(QGuiApplication::primaryScreen()->availableGeometry().contains(
        app->MainFrame()->geometry()));
}

TEST_F(MainFrameTest, ClosingAMonitorStoresItsPlacementAndClearsOnlyItsFlag) {
    auto app = Start();
    EXPECT_EQ(app->MonitorTitle(0), "Channel A");
    EXPECT_EQ(app->MonitorTitle(7), "Channel H");
    EXPECT_EQ(app->MonitorTitle(11), "Analog 2");

    CMonitorFlags& flags = app->MainFrame()->View().Core().MonitorFlags();
    for (int i = 0; i < MonitorCount; ++i)
        flags.Set(i, 1);

    EXPECT_TRUE(app->SaveMonitorPlacement("Channel H", {10, 20, 310, 220}));
    for (int i = 0; i < MonitorCount; ++i)
        EXPECT_EQ(flags.Get(i), i == 7 ? 0 : 1) << "monitor " << i;
    EXPECT_EQ(StoredRect(path_, "CHHPOS"), (WindowRect{10, 20, 310, 220}));
    EXPECT_TRUE(StoredRect(path_, "CHGPOS").IsEmpty());

    // A renamed window matches none of the twelve: nothing is written or cleared.
    EXPECT_FALSE(app->SaveMonitorPlacement("Channel X", {1, 2, 3, 4}));
    EXPECT_FALSE(app->SaveMonitorPlacement("channel h", {1, 2, 3, 4}));
    for (int i = 0; i < MonitorCount; ++i)
        EXPECT_EQ(flags.Get(i), i == 7 ? 0 : 1) << "monitor " << i;
    EXPECT_EQ(StoredRect(path_, "CHHPOS"), (WindowRect{10, 20, 310, 220}));
}

// The user sees each prompt while its item is highlighted, "Ready" otherwise.
TEST_F(MainFrameTest, StatusBarShowsThePromptOfTheHighlightedItem) {
    auto app = Start();
    CMainFrame& frame = *app->MainFrame();
    const auto panes = frame.statusBar()->findChildren<QLabel*>();
    ASSERT_EQ(panes.size(), 1);
    const std::vector<std::pair<MenuCommand, QString>> prompts{
        {MenuCommand::CurveConvert, "Convert a text based sensor curve to Tundrix CRV file"},
        {MenuCommand::CalGenDiode1Point300K, "Modify diode sensor curve at 300K"},
        {MenuCommand::CalGenDiode1Point42K, "Modify diode sensor curve at 4.2K"},
        {MenuCommand::CalGenDiode2Points, "Modify diode sensor at 2 points on the curve"},
        {MenuCommand::CalGenDiode3Points, "Modify diode sensor at 3 points on the curve"},
        {MenuCommand::CalGenPlatinum, "Modify platinum sensor curve"},
        {MenuCommand::StandardCurve, "Generate a sensor curve from its standard: platinum per IEC "
                                     "60751, thermocouples per NIST ITS-90"},
        {MenuCommand::SendCommandFile, "Send a XML formatted command file"},
        {MenuCommand::DataLoggingStart, "Start the data logging process"},
        {MenuCommand::UploadInternalDataLog, "Upload data logged in device"},
        {MenuCommand::MonitorChannelA,
         "Channel A temperature monitor at Datalogging time interval"},
        {MenuCommand::MonitorChannelH,
         "Channel H temperature monitor at Datalogging time interval"},
        {MenuCommand::MonitorHeater1, ""},
        {MenuCommand::MonitorAnalog2, ""},
        {MenuCommand::Connect, ""},
        {MenuCommand::Exit, ""},
    };
    for (const auto& [command, prompt] : prompts) {
        QAction* action = frame.CommandAction(command);
        const std::vector<QMenu*> menus = OpenMenusTo(frame, action);
        ASSERT_FALSE(menus.empty());
        menus.back()->setActiveAction(action);
        EXPECT_EQ(frame.statusBar()->currentMessage(), prompt) << action->text().toStdString();
        EXPECT_EQ(panes[0]->isVisible(), prompt.isEmpty()) << action->text().toStdString();
        for (auto menu = menus.rbegin(); menu != menus.rend(); ++menu)
            (*menu)->hide();
        EXPECT_TRUE(frame.statusBar()->currentMessage().isEmpty());
        EXPECT_TRUE(panes[0]->isVisible());
        EXPECT_EQ(panes[0]->text(), "Ready");
    }
}

} // namespace
