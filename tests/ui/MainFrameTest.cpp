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

QAction* Command(QMenu* menu, const QString& text) {
    const auto actions = menu->actions();
    for (QAction* action : actions)
        if (action->text() == text)
            return action;
    return nullptr;
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
    EXPECT_EQ(Texts(frame.menuBar()->actions()), QStringList({"&Comm", "&View", "&Help"}));
    EXPECT_EQ(Texts(frame.CommMenu()->actions()), QStringList({"E&xit"}));
    EXPECT_EQ(Texts(frame.ViewMenu()->actions()), QStringList({"&Status Bar"}));
    EXPECT_EQ(Texts(frame.HelpMenu()->actions()), QStringList({"&About .."}));

    const auto panes = frame.statusBar()->findChildren<QLabel*>();
    ASSERT_EQ(panes.size(), 1);
    EXPECT_EQ(panes[0]->text(), "Ready");
    EXPECT_TRUE(panes[0]->isVisible());
}

TEST_F(MainFrameTest, StatusBarCommandHidesAndShowsTheStatusBar) {
    auto app = Start();
    CMainFrame& frame = *app->MainFrame();
    QAction* command = Command(frame.ViewMenu(), "&Status Bar");
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
        Command(frame.CommMenu(), "E&xit")->trigger();
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

TEST_F(MainFrameTest, CommandsFollowTheirEnablingRuleWhenTheMenuOpens) {
    auto app = Start();
    CMainFrame& frame = *app->MainFrame();
    bool connected = false;
    int runs = 0;
    QAction* interact = frame.AddCommand(
        frame.CommMenu(), "&Interact", [&] { ++runs; }, [&] { return connected; },
        Command(frame.CommMenu(), "E&xit"));

    EXPECT_EQ(Texts(frame.CommMenu()->actions()), QStringList({"&Interact", "E&xit"}));
    Q_EMIT frame.CommMenu()->aboutToShow();
    EXPECT_FALSE(interact->isEnabled());
    connected = true;
    Q_EMIT frame.CommMenu()->aboutToShow();
    EXPECT_TRUE(interact->isEnabled());
    interact->trigger();
    EXPECT_EQ(runs, 1);
}

} // namespace
