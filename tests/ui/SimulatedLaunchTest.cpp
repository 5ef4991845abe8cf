#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <cstdlib>
#include <gtest/gtest.h>

#include "app/SimulatedRun.h"
#include "app/VantorCore.h"
#include "app/ui/LaunchOptions.h"
#include "app/ui/MainFrame.h"
#include "app/ui/ShortCutButtons.h"
#include "app/ui/VantorApp.h"
#include "app/ui/VantorView.h"
#include "base/SettingsStore.h"
#include "base/SimulatorProcess.h"
#include "comm/CommLink.h"
#include "support/TempDir.h"
#include "ui/UiTestHelpers.h"

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

// Connect over LAN as a user of `tundrix --simulate` does it: "Port Select..."
// chooses LAN, "Connect" opens "Edit IP Address" with the simulator's address
// and port already in it, and "Connect" there reaches the simulator.
TEST(SimulatedLaunchTest, ConnectOverLanThroughTheDialogsReachesTheSimulator) {
    CSimulatorProcess simulator;
    ASSERT_TRUE(simulator.Start(TUNDRIX_SIM_PROGRAM, SimulatorArguments(28), SimulatorServices()))
        << simulator.Error();
    const std::string tcp = simulator.Address("tcp");
    ASSERT_TRUE(tcp.starts_with("127.0.0.1:")) << tcp;
    const int port = std::stoi(tcp.substr(tcp.find(':') + 1));
    // A port the dialog takes (0..10000), and none that only the superuser may open.
    EXPECT_GE(port, 1024);
    EXPECT_LE(port, 10000);

    TempDir dir;
    const std::string path = dir.File("Tundrix-simulate.INI");
    {
        CSettingsStore settings(path);
        ASSERT_TRUE(PrepareSimulatedSettings(settings, simulator));
    }
    ProgramRun run(path);
    CVantorView& view = run.View();
    CShortCutButtons& bar = *view.ShortcutBar();

    auto portSelected = WhenModalOpens([](QWidget& modal) {
        for (QRadioButton* choice : modal.findChildren<QRadioButton*>())
            if (choice->text() == "LAN")
                choice->click();
        modal.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    run.Frame().CommandAction(MenuCommand::PortSelect)->trigger();
    ASSERT_TRUE(*portSelected);
    EXPECT_EQ(bar.CommTypeText(), "LAN");

    QString title;
    QStringList octets;
    QString shownPort;
    auto addressEdited = WhenModalOpens([&](QWidget& modal) {
        title = modal.windowTitle();
        for (const QSpinBox* octet : modal.findChildren<QSpinBox*>())
            octets << QString::number(octet->value());
        shownPort = modal.findChild<QLineEdit*>()->text();
        for (QPushButton* button : modal.findChildren<QPushButton*>())
            if (button->text() == "Connect")
                button->click();
    });
    run.Frame().CommandAction(MenuCommand::Connect)->trigger();
    ASSERT_TRUE(*addressEdited);
    EXPECT_EQ(title, "Edit IP Address");
    EXPECT_EQ(octets, QStringList({"127", "0", "0", "1"}));
    EXPECT_EQ(shownPort, QString::number(port));

    EXPECT_EQ(bar.StatusText(), "Connected");
    EXPECT_EQ(bar.ModelText(), "ARKTRONIC,TX-28");
    EXPECT_TRUE(run.Boxes().empty()) << run.Boxes().front().first.toStdString();
    EXPECT_EQ(view.Core().TerminalCommand("INP A:UNIT?"), 0);
    EXPECT_TRUE(view.LogText().contains("\nquery:INP A:UNIT?\nresponse:K\n"))
        << view.LogText().toStdString();
}

} // namespace
