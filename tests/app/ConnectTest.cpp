#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <sys/stat.h>
#include <termios.h>
#include <thread>

#include "app/VantorCore.h"
#include "base/SettingsStore.h"
#include "base/SimulatorProcess.h"
#include "support/PtyPeer.h"
#include "support/ScriptedDialogs.h"
#include "support/TcpPeer.h"
#include "support/TempDir.h"
#include "support/TestUi.h"

using namespace std::chrono_literals;

namespace {

// A core whose RS232 port is a given device, as the utility runs it.
struct CoreOn {
    explicit CoreOn(const std::string& device) {
        settings.WriteString("SerialDevices", "COM2", device);
        core.Link().LoadSettings();
    }
    CSettingsStore settings{""};
    TestUi ui;
    CVantorCore core{settings, ui, ui, ui};
};

} // namespace

class ConnectToSimulator : public ::testing::TestWithParam<int> {};

TEST_P(ConnectToSimulator, IdentifiesTheModelAndAppliesItsFeatures) {
    const int model = GetParam();
    CSimulatorProcess sim;
    ASSERT_TRUE(sim.Start(TUNDRIX_SIM_PROGRAM, {"--pty", "--model", std::to_string(model)}));
    CoreOn on(sim.Address("pty"));
    on.core.Connect();
    auto bar = on.core.ShortcutBar().Get();
    EXPECT_EQ("Connected", bar.statusText);
    EXPECT_EQ("ARKTRONIC,TX-" + std::to_string(model), bar.modelText);
    EXPECT_EQ(" ", bar.versionText);
    EXPECT_EQ(model, on.core.ModelCode());
    FeatureRow row = CFeatureTable::RowFor(model);
    EXPECT_EQ(row.modelClass, on.core.Features().ModelClass());
    EXPECT_EQ(row.inputCount, on.core.Features().InputCount());
    EXPECT_EQ(row.analogKind, on.core.Features().AnalogKind());
    EXPECT_EQ(row.modelClass == 2, bar.enabled[static_cast<int>(ShortcutButton::PidDownload)]);
    EXPECT_TRUE(on.ui.Boxes().empty());
}

INSTANTIATE_TEST_SUITE_P(Models, ConnectToSimulator, ::testing::Values(28, 29, 31));

TEST(Connect, AnUnansweredIdentificationShowsTheErrorOnceWithTheHints) {
    PtyPeer peer;
    CoreOn on(peer.Device());
    on.core.Connect();
    EXPECT_EQ(std::vector<std::string>{"Communication Error"}, on.ui.BoxTexts());
    EXPECT_EQ("Please check the followings for RS232 connection:\n"
              "- RS232 null modem cable connection\n"
              "- Controller Remote I/O Port Select is RS232\n"
              "- Matching Baud Rates\n"
              "- Comm port selection\n",
              on.ui.Log());
    auto bar = on.core.ShortcutBar().Get();
    EXPECT_EQ("No Device", bar.modelText);
    EXPECT_EQ("Error", bar.statusText);
    EXPECT_FALSE(on.core.Features().IsModelKnown());
    EXPECT_EQ("*IDN?\nSYST:IDEF?\n", peer.Read());
}

TEST(Connect, AnUnknownModelCodeKeepsTheOneBefore) {
    PtyPeer peer;
    CoreOn on(peer.Device());
    std::atomic<int> code{29};
    peer.StartResponder([&code](const std::string& line) {
        return line == "*IDN?" ? std::string("ARKTRONIC,TX-29,SN1,1.0\r\n")
                               : std::to_string(code.load()) + ",1,2,3,4,5,6\r\n";
    });
    on.core.Connect();
    EXPECT_EQ(29, on.core.ModelCode());
    code = 36;
    on.core.Connect();
    EXPECT_EQ(29, on.core.ModelCode());
    EXPECT_EQ(8, on.core.Features().InputCount());
    EXPECT_EQ("Connected", on.core.ShortcutBar().Get().statusText);
    peer.StopResponder();
}

TEST(Connect, RefusedWhileAMonitorIsOpenOrLoggingRunsAndNothingIsSent) {
    PtyPeer peer;
    CoreOn on(peer.Device());
    on.core.MonitorFlags().Set(1, 1);
    on.core.Connect();
    on.core.MonitorFlags().Set(1, 0);
    on.core.LoggingActive() = 1;
    on.core.Connect();
    auto boxes = on.ui.Boxes();
    ASSERT_EQ(2u, boxes.size());
    for (const auto& box : boxes) {
        EXPECT_EQ("Please terminates all communicating activites before reconnecting.", box.text);
        EXPECT_EQ(MessageIcon::Warning, box.icon);
    }
    EXPECT_EQ("", peer.Read(50ms, 300ms));
    EXPECT_EQ("Not Connected", on.core.ShortcutBar().Get().statusText);
}

TEST(Connect, ABusyLinkGivesNoDeviceAtOnceWithoutABox) {
    PtyPeer peer;
    CoreOn on(peer.Device());
    std::unique_lock held(on.core.TransactionMutex());
    auto start = std::chrono::steady_clock::now();
    on.core.Connect();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 100ms);
    EXPECT_TRUE(on.ui.Boxes().empty());
    EXPECT_EQ("No Device", on.core.ShortcutBar().Get().modelText);
    EXPECT_EQ("Error", on.core.ShortcutBar().Get().statusText);
    EXPECT_EQ("", peer.Read(50ms, 200ms));
}

TEST(Connect, ALostConnectionClearsTheFeatures) {
    CSimulatorProcess sim;
    ASSERT_TRUE(sim.Start(TUNDRIX_SIM_PROGRAM, {"--pty", "--model", "28"}));
    CoreOn on(sim.Address("pty"));
    on.core.Connect();
    ASSERT_TRUE(on.core.Features().IsClass2());
    on.core.OnDisconnected(StatusError);
    auto bar = on.core.ShortcutBar().Get();
    EXPECT_EQ("Error", bar.statusText);
    EXPECT_EQ("No Device", bar.modelText);
    EXPECT_FALSE(on.core.Features().IsModelKnown());
    EXPECT_FALSE(bar.enabled[static_cast<int>(ShortcutButton::Interact)]);
    // The model code stays for the next Connect to read again.
    EXPECT_EQ(28, on.core.ModelCode());
}

TEST(MessageLogServices, HintsOnlyOnRS232AndFileErrorsReleaseTheMutex) {
    CSettingsStore settings("");
    TestUi ui;
    CVantorCore core(settings, ui, ui, ui);
    settings.WriteInt("CommunicationSetup", "PortType", 2);
    core.Link().LoadSettings();
    core.ShowRS232Hints();
    EXPECT_EQ("", ui.Log());

    struct Case {
        int code;
        const char* text;
        bool releases;
    };
    for (Case c : {Case{2, "No File Name provided\n", true},
                   {3, "Cannot open input file\n", true},
                   {5, "Error! Can't open output file\n", true},
                   {1, "", true},
                   {0, "", false},
                   {4, "", false}}) {
        ui.Clear();
        core.TransactionMutex().lock();
        core.ReportFileError(c.code);
        EXPECT_EQ(c.text, ui.Log()) << c.code;
        EXPECT_EQ(c.releases, core.TransactionMutex().try_lock()) << c.code;
        core.TransactionMutex().unlock();
    }
}

TEST(ConnectOverLan, TheAddressDialogThenTheConnectionThenIdentification) {
    TcpPeer peer;
    CSettingsStore settings("");
    settings.WriteInt("CommunicationSetup", "PortType", 3);
    TestUi ui;
    ScriptedDialogs dialogs;
    dialogs.ipAddress = MyIPAddr::Parse("127.0.0.1");
    dialogs.ipPort = peer.Port();
    CVantorCore core(settings, ui, ui, ui);
    core.Link().SetDialogs(&dialogs);
    core.Link().LoadSettings();
    std::thread instrument([&peer] {
        ASSERT_TRUE(peer.Accept());
        EXPECT_EQ("*IDN?\n", peer.Read());
        peer.Write("ARKTRONIC,TX-30,SN1,1.0\r\n");
        EXPECT_EQ("SYST:IDEF?\n", peer.Read());
        peer.Write("30,1,1,0,0,4,0\r\n");
    });
    core.Connect();
    instrument.join();
    EXPECT_EQ("Connected", core.ShortcutBar().Get().statusText);
    EXPECT_EQ("ARKTRONIC,TX-30", core.ShortcutBar().Get().modelText);
    EXPECT_EQ(30, core.ModelCode());
    // Connect again while connected: no new identification.
    core.Connect();
    EXPECT_EQ("", peer.Read(50ms, 300ms));
    EXPECT_EQ("Connected", core.ShortcutBar().Get().statusText);
}

TEST(ConnectOverLan, ARefusedConnectionIsShownAndGivesNoDevice) {
    int port;
    {
        TcpPeer closed;
        port = closed.Port();
    }
    CSettingsStore settings("");
    settings.WriteInt("CommunicationSetup", "PortType", 3);
    TestUi ui;
    ScriptedDialogs dialogs;
    dialogs.ipAddress = MyIPAddr::Parse("127.0.0.1");
    dialogs.ipPort = port;
    CVantorCore core(settings, ui, ui, ui);
    core.Link().SetDialogs(&dialogs);
    core.Link().LoadSettings();
    core.Connect();
    EXPECT_EQ(std::vector<std::string>{"Failed to connect to server."}, ui.BoxTexts());
    EXPECT_EQ("No Device", core.ShortcutBar().Get().modelText);
    EXPECT_EQ("Error", core.ShortcutBar().Get().statusText);

    dialogs.outcome = DialogOutcome::Cancelled;
    core.Connect();
    EXPECT_EQ(1u, ui.Boxes().size());
}

TEST(ConnectOverGpib, CancellingTheAddressDialogKeepsTheAddressAndGivesNoDevice) {
    CSettingsStore settings("");
    settings.WriteInt("CommunicationSetup", "PortType", 2);
    TestUi ui;
    ScriptedDialogs dialogs;
    dialogs.outcome = DialogOutcome::Cancelled;
    dialogs.gpibAddress = 5;
    CVantorCore core(settings, ui, ui, ui);
    core.Link().SetDialogs(&dialogs);
    core.Link().LoadSettings();
    core.Connect();
    EXPECT_EQ(12, dialogs.presetGpibAddress);
    EXPECT_EQ(12, core.Link().GetGPIBAddress());
    EXPECT_EQ("No Device", core.ShortcutBar().Get().modelText);
    EXPECT_TRUE(ui.Boxes().empty());
}

TEST(PortSelectCommand, RefusedWhileAMonitorIsOpenOtherwiseTheNewPortIsAnnounced) {
    PtyPeer peer;
    CSettingsStore settings("");
    settings.WriteString("SerialDevices", "COM2", peer.Device());
    TestUi ui;
    ScriptedDialogs dialogs;
    dialogs.portType = PortLAN;
    CVantorCore core(settings, ui, ui, ui);
    core.Link().SetDialogs(&dialogs);
    core.Link().LoadSettings();
    core.Features().ApplyModel(28);
    core.ShortcutBar().SetStatus(StatusConnected);

    core.MonitorFlags().Set(0, 1);
    core.PortSelect();
    ASSERT_EQ(1u, ui.Boxes().size());
    EXPECT_EQ("Please terminates all communicating activites before switching port.",
              ui.Boxes()[0].text);
    EXPECT_EQ(MessageIcon::Warning, ui.Boxes()[0].icon);
    EXPECT_EQ(0, dialogs.runs);
    EXPECT_EQ(PortRS232, core.Link().GetPortType());

    core.MonitorFlags().Set(0, 0);
    core.PortSelect();
    EXPECT_EQ("Changed to LAN port.\n", ui.Log());
    auto bar = core.ShortcutBar().Get();
    EXPECT_EQ("Not Connected", bar.statusText);
    EXPECT_EQ("LAN", bar.commType);
    EXPECT_EQ("No Device", bar.modelText);
    EXPECT_FALSE(core.Features().IsModelKnown());

    dialogs.portType = PortGPIB;
    core.PortSelect();
    dialogs.outcome = DialogOutcome::Cancelled;
    core.PortSelect();
    EXPECT_EQ("Changed to LAN port.\nChanged to GPIB port.\n", ui.Log());
}

TEST(SerialSetUpCommand, ReopensThePortWithTheChosenSpeed) {
    PtyPeer peer;
    CSettingsStore settings("");
    settings.WriteString("SerialDevices", "COM2", peer.Device());
    TestUi ui;
    ScriptedDialogs dialogs;
    dialogs.baudIndex = 7;
    CVantorCore core(settings, ui, ui, ui);
    core.Link().SetDialogs(&dialogs);
    core.Link().LoadSettings();
    core.SetupSerial();
    EXPECT_EQ(7, settings.GetInt("CommunicationSetup", "BaudRate", 0));
    termios tio{};
    ::tcgetattr(peer.Master(), &tio);
    EXPECT_EQ(B1200, ::cfgetospeed(&tio));
    EXPECT_TRUE(core.Link().IsSerialOpen());
}

namespace {

// Where the simulator's TCP service listens: "tcp: 127.0.0.1:PORT".
int TcpPort(const CSimulatorProcess& sim) {
    const std::string address = sim.Address("tcp");
    return std::atoi(address.c_str() + address.rfind(':') + 1);
}

} // namespace

TEST(ConnectOverLan, AfterTheInstrumentDroppedTheConnectionConnectConnectsAgainAndIdentifies) {
    // The simulator closes each connection after two commands: the identification.
    CSimulatorProcess sim;
    ASSERT_TRUE(sim.Start(TUNDRIX_SIM_PROGRAM,
                          {"--tcp", "0", "--model", "30", "--fault", "hangup:2"}, {"tcp"}));
    CSettingsStore settings("");
    settings.WriteInt("CommunicationSetup", "PortType", 3);
    TestUi ui;
    ScriptedDialogs dialogs;
    dialogs.ipAddress = MyIPAddr::Parse("127.0.0.1");
    dialogs.ipPort = TcpPort(sim);
    CVantorCore core(settings, ui, ui, ui);
    core.Link().SetDialogs(&dialogs);
    core.Link().LoadSettings();
    core.Connect();
    ASSERT_EQ("Connected", core.ShortcutBar().Get().statusText);
    core.OnDisconnected(StatusError); // as a worker reports the lost instrument
    core.Connect();
    auto bar = core.ShortcutBar().Get();
    EXPECT_EQ("Connected", bar.statusText);
    EXPECT_EQ("ARKTRONIC,TX-30", bar.modelText);
    EXPECT_TRUE(core.Features().IsModelKnown());

    // Gone again, without anyone noticing: Connect still identifies afresh.
    std::this_thread::sleep_for(100ms);
    core.Features().ClearFeatures();
    core.Connect();
    EXPECT_EQ("Connected", core.ShortcutBar().Get().statusText);
    EXPECT_TRUE(core.Features().IsModelKnown());
    EXPECT_TRUE(ui.Boxes().empty());
}

TEST(ConnectOverLan, ANewlyEnteredAddressIsConnectedAndIdentified) {
    CSimulatorProcess first, second;
    ASSERT_TRUE(first.Start(TUNDRIX_SIM_PROGRAM, {"--tcp", "0", "--model", "29"}, {"tcp"}));
    ASSERT_TRUE(second.Start(TUNDRIX_SIM_PROGRAM, {"--tcp", "0", "--model", "32"}, {"tcp"}));
    CSettingsStore settings("");
    settings.WriteInt("CommunicationSetup", "PortType", 3);
    TestUi ui;
    ScriptedDialogs dialogs;
    dialogs.ipAddress = MyIPAddr::Parse("127.0.0.1");
    dialogs.ipPort = TcpPort(first);
    CVantorCore core(settings, ui, ui, ui);
    core.Link().SetDialogs(&dialogs);
    core.Link().LoadSettings();
    core.Connect();
    ASSERT_EQ(29, core.ModelCode());
    dialogs.ipPort = TcpPort(second);
    core.Connect();
    EXPECT_EQ(32, core.ModelCode());
    EXPECT_EQ("ARKTRONIC,TX-32", core.ShortcutBar().Get().modelText);
    EXPECT_EQ(TcpPort(second), settings.GetInt("CommunicationSetup", "IPPort", 0));
}

TEST(ConnectOverGpib, AnInstrumentThatDoesNotAnswerIsNoDevice) {
    CSimulatorProcess sim;
    ASSERT_TRUE(sim.Start(TUNDRIX_SIM_PROGRAM, {"--gpib", "--fault", "no-reply"}, {"gpib"}));
    ::setenv("TUNDRIX_SIM_GPIB", sim.Address("gpib").c_str(), 1);
    ::setenv("TUNDRIX_GPIB_LIBRARY", TUNDRIX_GPIB_SIM_LIBRARY, 1);
    CSettingsStore settings("");
    settings.WriteInt("CommunicationSetup", "PortType", 2);
    TestUi ui;
    ScriptedDialogs dialogs;
    CVantorCore core(settings, ui, ui, ui);
    core.Link().SetDialogs(&dialogs);
    core.Link().LoadSettings();
    core.Connect();
    // GPIB gives an empty reply, and success, for a query nobody answers.
    EXPECT_EQ("No Device", core.ShortcutBar().Get().modelText);
    EXPECT_EQ("Error", core.ShortcutBar().Get().statusText);
    EXPECT_EQ(std::vector<std::string>{"Communication Error"}, ui.BoxTexts());
    ::unsetenv("TUNDRIX_SIM_GPIB");
    ::unsetenv("TUNDRIX_GPIB_LIBRARY");
}

TEST(CoreSettings, ASettingsFileThatIsNotSavedToIsSaidInTheLogOnce) {
    TempDir dir;
    const std::string path = dir.File("Tundrix.INI");
    ASSERT_EQ(0, ::mkfifo(path.c_str(), 0600));
    CSettingsStore settings(path);
    settings.Load();
    TestUi ui;
    CVantorCore core(settings, ui, ui, ui);
    settings.WriteInt("CommunicationSetup", "PortType", 2);
    EXPECT_EQ(path +
                  ": not a regular file; the settings are neither read from it nor saved to it\n",
              ui.Log());
}
