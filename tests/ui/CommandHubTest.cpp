#include <QAction>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <chrono>
#include <gtest/gtest.h>
#include <set>
#include <thread>

#include "app/CommandRules.h"
#include "app/VantorCore.h"
#include "app/ui/MainFrame.h"
#include "app/ui/SerialTerminal.h"
#include "app/ui/ShortCutButtons.h"
#include "app/ui/ShortcutDock.h"
#include "app/ui/VantorView.h"
#include "support/PtyPeer.h"
#include "support/TempDir.h"
#include "ui/UiTestHelpers.h"

namespace {

using namespace std::chrono_literals;

std::vector<MenuCommand> AllCommands() {
    std::vector<MenuCommand> commands;
    for (int i = 0; i < MenuCommandCount; ++i)
        commands.push_back(static_cast<MenuCommand>(i));
    return commands;
}

// What this program can carry out so far besides the twelve monitors; every other
// item stays disabled.
const std::set<MenuCommand> Built{MenuCommand::Connect,
                                  MenuCommand::PortSelect,
                                  MenuCommand::RS232SetUp,
                                  MenuCommand::ShareInstrument,
                                  MenuCommand::Interact,
                                  MenuCommand::StatusBar,
                                  MenuCommand::Shortcut,
                                  MenuCommand::About,
                                  MenuCommand::Exit,
                                  MenuCommand::CurveConvert,
                                  MenuCommand::CurveDownload,
                                  MenuCommand::CurveUpload,
                                  MenuCommand::PidDownload,
                                  MenuCommand::PidUpload,
                                  MenuCommand::CalGenDiode1Point300K,
                                  MenuCommand::CalGenDiode1Point42K,
                                  MenuCommand::CalGenDiode2Points,
                                  MenuCommand::CalGenDiode3Points,
                                  MenuCommand::CalGenPlatinum,
                                  MenuCommand::StandardCurve,
                                  MenuCommand::SendCommandFile,
                                  MenuCommand::UploadInternalDataLog,
                                  MenuCommand::DataLoggingStart};

bool RuleAllows(CVantorView& view, MenuCommand command) {
    return IsCommandEnabled(command, view.Context());
}

// An item is enabled exactly when its operation is built and its rule allows it.
void ExpectMenusFollowTheRules(ProgramRun& run) {
    run.OpenEveryMenu();
    for (MenuCommand command : AllCommands()) {
        QAction* action = run.Frame().CommandAction(command);
        const bool built = Built.count(command) || MonitorIndexOf(command) >= 0;
        EXPECT_EQ(action->isEnabled(), built && RuleAllows(run.View(), command))
            << action->text().toStdString();
    }
}

TEST(CommandHubTest, BeforeConnectEveryModelCommandIsDisabled) {
    TempDir dir;
    ProgramRun run(WriteQuietSettings(dir.File("Tundrix.INI")));
    CVantorView& view = run.View();

    for (MenuCommand command :
         {MenuCommand::Interact, MenuCommand::CurveDownload, MenuCommand::CurveUpload,
          MenuCommand::SendCommandFile, MenuCommand::DataLoggingStart, MenuCommand::PidDownload,
          MenuCommand::PidUpload, MenuCommand::UploadInternalDataLog, MenuCommand::ShareInstrument})
        EXPECT_FALSE(RuleAllows(view, command)) << static_cast<int>(command);
    for (int monitor = 0; monitor < MonitorCount; ++monitor)
        EXPECT_FALSE(RuleAllows(view, MonitorCommand(monitor))) << monitor;
    for (MenuCommand command : {MenuCommand::Connect, MenuCommand::PortSelect,
                                MenuCommand::CurveConvert, MenuCommand::CalGenDiode1Point300K,
                                MenuCommand::CalGenDiode2Points, MenuCommand::CalGenDiode3Points,
                                MenuCommand::CalGenDiode1Point42K, MenuCommand::CalGenPlatinum,
                                MenuCommand::StatusBar, MenuCommand::About, MenuCommand::Exit})
        EXPECT_TRUE(RuleAllows(view, command)) << static_cast<int>(command);
    // GPIB is selected; the bar is shown.
    EXPECT_FALSE(RuleAllows(view, MenuCommand::RS232SetUp));
    EXPECT_FALSE(RuleAllows(view, MenuCommand::Shortcut));

    ExpectMenusFollowTheRules(run);
    EXPECT_TRUE(run.Frame().CommandAction(MenuCommand::Connect)->isEnabled());
    EXPECT_FALSE(run.Frame().CommandAction(MenuCommand::Interact)->isEnabled());
    // Triggering a disabled command does nothing.
    run.Frame().CommandAction(MenuCommand::Interact)->trigger();
    EXPECT_FALSE(view.Terminal()->isVisible());
}

struct ModelCase {
    int model;
    std::vector<bool> monitors; // A..H, heater 1, heater 2, analog 1, analog 2
    bool pid;
    bool viaShortcutBar; // Connect from the bar's button instead of the menu
};

class ConnectToModel : public ::testing::TestWithParam<ModelCase> {};

TEST_P(ConnectToModel, MenusAndShortcutBarFollowTheModelsFeatures) {
    const ModelCase& c = GetParam();
    auto simulator = StartSimulator(c.model);
    TempDir dir;
    ProgramRun run(WriteSerialSettings(dir.File("Tundrix.INI"), simulator->Address("pty")));
    CVantorView& view = run.View();
    CShortCutButtons& bar = *view.ShortcutBar();

    if (c.viaShortcutBar)
        bar.Button(ShortcutButton::Connect)->click();
    else
        run.Frame().CommandAction(MenuCommand::Connect)->trigger();

    EXPECT_TRUE(run.Boxes().empty());
    EXPECT_EQ(bar.StatusText(), "Connected");
    EXPECT_EQ(bar.ModelText(), QString("ARKTRONIC,TX-%1").arg(c.model));
    EXPECT_EQ(bar.VersionText(), " ");
    EXPECT_EQ(bar.CommTypeText(), "RS232");

    for (int monitor = 0; monitor < MonitorCount; ++monitor)
        EXPECT_EQ(RuleAllows(view, MonitorCommand(monitor)), c.monitors[monitor])
            << "monitor " << monitor;
    EXPECT_EQ(RuleAllows(view, MenuCommand::PidDownload), c.pid);
    EXPECT_EQ(RuleAllows(view, MenuCommand::PidUpload), c.pid);
    for (MenuCommand command :
         {MenuCommand::Interact, MenuCommand::CurveDownload, MenuCommand::DataLoggingStart,
          MenuCommand::UploadInternalDataLog, MenuCommand::RS232SetUp})
        EXPECT_TRUE(RuleAllows(view, command)) << static_cast<int>(command);
    ExpectMenusFollowTheRules(run);
    EXPECT_TRUE(run.Frame().CommandAction(MenuCommand::Interact)->isEnabled());

    EXPECT_EQ(bar.Button(ShortcutButton::PidDownload)->isEnabled(), c.pid);
    for (ShortcutButton button :
         {ShortcutButton::CurveDownload, ShortcutButton::Interact, ShortcutButton::CalGen,
          ShortcutButton::DataLogging, ShortcutButton::UploadDataLog, ShortcutButton::Connect})
        EXPECT_TRUE(bar.Button(button)->isEnabled()) << static_cast<int>(button);

    // A lost connection takes it all back.
    view.Disconnected(StatusError);
    EXPECT_EQ(bar.StatusText(), "Error");
    EXPECT_EQ(bar.ModelText(), "No Device");
    EXPECT_FALSE(bar.Button(ShortcutButton::Interact)->isEnabled());
    EXPECT_FALSE(run.Offered(MenuCommand::Interact));
}

INSTANTIATE_TEST_SUITE_P(
    Models, ConnectToModel,
    ::testing::Values(ModelCase{28, {1, 1, 1, 1, 0, 0, 0, 0, 1, 1, 1, 1}, true, false},
                      ModelCase{29, {1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0}, false, true},
                      ModelCase{31, {1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, false, false}),
    [](const auto& model) { return "Model" + std::to_string(model.param.model); });

TEST(CommandHubTest, ConnectWhileAMonitorIsOpenRefusesAndSendsNothing) {
    PtyPeer peer;
    TempDir dir;
    ProgramRun run(WriteSerialSettings(dir.File("Tundrix.INI"), peer.Device()));
    ASSERT_TRUE(run.View().Core().Link().IsSerialOpen());
    run.View().Core().MonitorFlags().Set(1, 1);

    run.Frame().CommandAction(MenuCommand::Connect)->trigger();

    ASSERT_EQ(run.Boxes().size(), 1u);
    EXPECT_EQ(run.Boxes()[0].first,
              "Please terminates all communicating activites before reconnecting.");
    EXPECT_EQ(run.Boxes()[0].second, QMessageBox::Warning);
    EXPECT_EQ(peer.Read(50ms, 300ms), "");
    EXPECT_EQ(run.View().ShortcutBar()->StatusText(), "Not Connected");
}

TEST(CommandHubTest, PortSelectSwitchesTheTransportAndRefusesWhileAMonitorIsOpen) {
    auto simulator = StartSimulator(28);
    TempDir dir;
    ProgramRun run(WriteSerialSettings(dir.File("Tundrix.INI"), simulator->Address("pty")));
    CVantorView& view = run.View();
    CShortCutButtons& bar = *view.ShortcutBar();
    run.Frame().CommandAction(MenuCommand::Connect)->trigger();
    ASSERT_EQ(bar.StatusText(), "Connected");
    EXPECT_TRUE(run.Offered(MenuCommand::RS232SetUp));

    view.Core().MonitorFlags().Set(0, 1);
    ASSERT_TRUE(run.Offered(MenuCommand::PortSelect));
    run.Frame().CommandAction(MenuCommand::PortSelect)->trigger();
    ASSERT_EQ(run.Boxes().size(), 1u);
    EXPECT_EQ(run.Boxes()[0].first,
              "Please terminates all communicating activites before switching port.");
    EXPECT_EQ(run.Boxes()[0].second, QMessageBox::Warning);
    EXPECT_EQ(bar.CommTypeText(), "RS232");
    EXPECT_EQ(bar.StatusText(), "Connected");
    view.Core().MonitorFlags().Set(0, 0);

    QString title;
    auto seen = WhenModalOpens([&](QWidget& modal) {
        title = modal.windowTitle();
        for (QRadioButton* choice : modal.findChildren<QRadioButton*>())
            if (choice->text() == "LAN")
                choice->click();
        modal.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    run.Frame().CommandAction(MenuCommand::PortSelect)->trigger();
    EXPECT_TRUE(*seen);
    EXPECT_EQ(title, "Port Select Dialog");
    EXPECT_TRUE(view.LogText().endsWith("Changed to LAN port.\n")) << view.LogText().toStdString();
    EXPECT_EQ(bar.CommTypeText(), "LAN");
    EXPECT_EQ(bar.StatusText(), "Not Connected");
    EXPECT_FALSE(bar.Button(ShortcutButton::Interact)->isEnabled());
    EXPECT_FALSE(run.Offered(MenuCommand::Interact));
    EXPECT_FALSE(run.Offered(MenuCommand::RS232SetUp));
    EXPECT_EQ(run.Boxes().size(), 1u);
}

TEST(CommandHubTest, ShortcutCommandShowsTheBarOnlyWhileItIsHidden) {
    TempDir dir;
    ProgramRun run(WriteQuietSettings(dir.File("Tundrix.INI")));
    CShortCutButtons& bar = *run.View().ShortcutBar();
    ASSERT_TRUE(bar.isVisible());
    EXPECT_FALSE(run.Offered(MenuCommand::Shortcut));

    // The dock's close box.
    run.View().ShortcutDock()->close();
    EXPECT_FALSE(bar.isVisible());
    ASSERT_TRUE(run.Offered(MenuCommand::Shortcut));
    run.Frame().CommandAction(MenuCommand::Shortcut)->trigger();
    EXPECT_TRUE(bar.isVisible());
    EXPECT_FALSE(run.Offered(MenuCommand::Shortcut));
}

// A worker that waits for the GUI thread while the window closes must not hold
// the program up: its message is abandoned and the workers end at once.
TEST(CommandHubTest, ClosingWhileAWorkerWaitsForTheWindowEndsPromptly) {
    TempDir dir;
    const std::string path = WriteQuietSettings(dir.File("Tundrix.INI"));
    {
        CSettingsStore settings(path);
        settings.Load();
        settings.WriteString("LOG", "INTERVAL", "0.02");
    }
    ProgramRun run(path);
    CVantorCore& core = run.View().Core();
    ASSERT_TRUE(core.MonitorWorkerRunning());

    // GPIB answers nothing: every poll of an open monitor reports a lost
    // connection, and with all of them open every wake-up polls one.
    for (int i = 0; i < MonitorCount; ++i)
        core.MonitorFlags().Set(i, 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return core.ShortcutBar().Get().status == StatusError; }));
    core.ShortcutBar().SetStatus(StatusNotConnected);
    // The GUI thread runs no events now, so the next report waits for it.
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(core.ShortcutBar().Get().status, StatusNotConnected);

    const auto start = std::chrono::steady_clock::now();
    run.Frame().close();
    run.End();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 500ms);
}

} // namespace
