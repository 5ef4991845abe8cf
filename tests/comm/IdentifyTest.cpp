#include <gtest/gtest.h>

#include <atomic>

#include "app/SettingsStore.h"
#include "app/SimulatorProcess.h"
#include "app/VantorCore.h"
#include "comm/Identify.h"
#include "support/PtyPeer.h"
#include "support/TestUi.h"

using namespace std::chrono_literals;

TEST(IdentifyReplies, ModelTextIsTheTextBeforeTheSecondComma) {
    EXPECT_EQ("a,b", ModelTextFromIdn("a,b,c,d"));
    EXPECT_EQ("ARKTRONIC,TX-28", ModelTextFromIdn("ARKTRONIC,TX-28,SN280417,1.4.2\r\n"));
    EXPECT_EQ("", ModelTextFromIdn("ARKTRONIC,TX-28\r\n"));
    EXPECT_EQ("", ModelTextFromIdn(""));
    EXPECT_EQ(",", ModelTextFromIdn(",,"));
}

TEST(IdentifyReplies, ModelCodeNeedsAllSevenFieldsAndAFamilyCode) {
    EXPECT_EQ(28, ParseModelCode("28,280417,1,4,2,4,2\r\n"));
    EXPECT_EQ(27, ParseModelCode("27,1,0,0,0,0,-1"));
    EXPECT_EQ(35, ParseModelCode("35,1,2,3,4,5,6"));
    EXPECT_FALSE(ParseModelCode("36,1,2,3,4,5,6"));
    EXPECT_FALSE(ParseModelCode("26,1,2,3,4,5,6"));
    EXPECT_FALSE(ParseModelCode("28,1,2,3,4,5"));
    EXPECT_FALSE(ParseModelCode("TX-28"));
    EXPECT_FALSE(ParseModelCode(std::string("28,1,2\0,3,4,5,6", 14)));
    EXPECT_FALSE(ParseModelCode(""));
}

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
    for (Case c : {Case{2, "No File Name provided\n", true}, {3, "Cannot open input file\n", true},
                   {5, "Error! Can't open output file\n", true}, {1, "", true}, {0, "", false},
                   {4, "", false}}) {
        ui.Clear();
        core.TransactionMutex().lock();
        core.ReportFileError(c.code);
        EXPECT_EQ(c.text, ui.Log()) << c.code;
        EXPECT_EQ(c.releases, core.TransactionMutex().try_lock()) << c.code;
        core.TransactionMutex().unlock();
    }
}
