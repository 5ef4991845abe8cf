#include <QMessageBox>
#include <QTest>
#include <cstdlib>
#include <gtest/gtest.h>

#include "app/SimulatedRun.h"
#include "app/VantorCore.h"
#include "app/ui/LaunchOptions.h"
#include "app/ui/MainFrame.h"
#include "app/ui/VantorApp.h"
#include "app/ui/VantorView.h"
#include "base/SimulatorProcess.h"
#include "comm/CommLink.h"
#include "support/TempDir.h"

namespace {

// What `tundrix --simulate=30` does, on a fresh machine with no instrument: the
// window opens on the simulator's pseudo-terminal without a complaint, and a
// terminal query gets the simulated controller's answer in the log.
TEST(SimulatedLaunchTest, MainWindowTalksToTheSimulatorWithoutAnyBox) {
    CSimulatorProcess simulator;
    ASSERT_TRUE(simulator.Start(TUNDRIX_SIM_PROGRAM, SimulatorArguments(30), SimulatorServices()))
        << simulator.Error();

    TempDir dir;
    CVantorApp app(dir.File("Tundrix-simulate.INI"));
    ASSERT_TRUE(PrepareSimulatedSettings(app.Settings(), simulator));
    app.InitInstance();
    CVantorView& view = app.MainFrame()->View();
    QStringList boxes;
    view.MessageBoxes().SetPresenter(
        [&](const QString& text, QMessageBox::Icon) { boxes << text; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.IsInitialised(); }));

    EXPECT_TRUE(view.Core().Link().IsSerialOpen());
    EXPECT_EQ(view.Core().TerminalCommand("*IDN?"), 0);
    EXPECT_TRUE(view.LogText().startsWith("\nquery:*IDN?\nresponse:"))
        << view.LogText().toStdString();
    EXPECT_TRUE(view.LogText().contains(",SN")) << view.LogText().toStdString();
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join(" | ").toStdString();
}

// The same simulated controller answers on all three transports.
TEST(SimulatedLaunchTest, LanAndGpibReachTheSameSimulator) {
    CSimulatorProcess simulator;
    ASSERT_TRUE(simulator.Start(TUNDRIX_SIM_PROGRAM, SimulatorArguments(29), SimulatorServices()))
        << simulator.Error();
    ::setenv("TUNDRIX_GPIB_LIBRARY", TUNDRIX_GPIB_SIM_LIBRARY, 1);
    TempDir dir;
    CVantorApp app(dir.File("Tundrix-simulate.INI"));
    ASSERT_TRUE(PrepareSimulatedSettings(app.Settings(), simulator));
    app.InitInstance();
    CVantorView& view = app.MainFrame()->View();
    // A box would wait for a click that never comes: record it instead.
    QStringList boxes;
    view.MessageBoxes().SetPresenter(
        [&](const QString& text, QMessageBox::Icon) { boxes << text; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.IsInitialised(); }));
    CCommLink& link = view.Core().Link();

    app.Settings().WriteInt("CommunicationSetup", "PortType", 3);
    link.LoadSettings();
    ASSERT_EQ(1, link.ConnectLAN());
    std::string reply;
    EXPECT_EQ(0, link.Transact("INP A:NAME Viatcp", &reply));

    app.Settings().WriteInt("CommunicationSetup", "PortType", 2);
    link.LoadSettings();
    EXPECT_EQ(0, link.Transact("INP A:NAME?", &reply));
    EXPECT_EQ("Viatcp\r\n", reply);
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join(" | ").toStdString();
    ::unsetenv("TUNDRIX_GPIB_LIBRARY");
}

} // namespace
