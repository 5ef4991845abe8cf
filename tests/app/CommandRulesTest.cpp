#include <gtest/gtest.h>

#include "app/CommandRules.h"
#include "app/ShortcutBarState.h"
#include "comm/FeatureTable.h"
#include "logging/MonitorTable.h"

namespace {

class Rules : public ::testing::Test {
protected:
    bool Enabled(MenuCommand command) {
        CommandContext context{features_,      monitors_,      logging_, portType_,
                               shortcutShown_, workerRunning_, sharing_};
        return IsCommandEnabled(command, context);
    }

    CShortcutBarState bar_;
    CFeatureTable features_{bar_};
    CMonitorFlags monitors_;
    bool logging_ = false;
    int portType_ = 0;
    bool shortcutShown_ = true;
    bool workerRunning_ = true;
    bool sharing_ = false;
};

const MenuCommand AlwaysEnabled[] = {
    MenuCommand::Connect,
    MenuCommand::PortSelect,
    MenuCommand::CurveConvert,
    MenuCommand::CalGenDiode1Point300K,
    MenuCommand::CalGenDiode2Points,
    MenuCommand::CalGenDiode3Points,
    MenuCommand::CalGenDiode1Point42K,
    MenuCommand::CalGenPlatinum,
    MenuCommand::StandardCurve,
    MenuCommand::StatusBar,
    MenuCommand::About,
    MenuCommand::Exit,
};
const MenuCommand RuleG[] = {MenuCommand::Interact, MenuCommand::CurveDownload,
                             MenuCommand::CurveUpload, MenuCommand::SendCommandFile};
const MenuCommand RuleP[] = {MenuCommand::PidDownload, MenuCommand::PidUpload};

} // namespace

TEST_F(Rules, BeforeConnectOnlyTheAlwaysCommandsAreEnabled) {
    for (MenuCommand c : AlwaysEnabled)
        EXPECT_TRUE(Enabled(c)) << static_cast<int>(c);
    for (MenuCommand c : RuleG)
        EXPECT_FALSE(Enabled(c)) << static_cast<int>(c);
    EXPECT_FALSE(Enabled(MenuCommand::DataLoggingStart));
    for (MenuCommand c : RuleP)
        EXPECT_FALSE(Enabled(c));
    for (int m = 0; m < MonitorCount; ++m)
        EXPECT_FALSE(Enabled(MonitorCommand(m))) << m;
    EXPECT_FALSE(Enabled(MenuCommand::UploadInternalDataLog));
    EXPECT_TRUE(Enabled(MenuCommand::RS232SetUp));
    EXPECT_FALSE(Enabled(MenuCommand::Shortcut));
}

TEST_F(Rules, Model28EnablesEverythingOfClass2WithTwoAnalogOutputs) {
    features_.ApplyModel(28);
    for (MenuCommand c : RuleG)
        EXPECT_TRUE(Enabled(c));
    EXPECT_TRUE(Enabled(MenuCommand::DataLoggingStart));
    for (MenuCommand c : RuleP)
        EXPECT_TRUE(Enabled(c));
    EXPECT_TRUE(Enabled(MenuCommand::UploadInternalDataLog));
    for (int m = 0; m < MonitorCount; ++m)
        EXPECT_EQ(m < 4 || m >= 8, Enabled(MonitorCommand(m))) << MonitorTable[m].title;
}

TEST_F(Rules, Model29HasEightInputsAndNoHeaters) {
    features_.ApplyModel(29);
    for (int m = 0; m < MonitorCount; ++m)
        EXPECT_EQ(m < 8, Enabled(MonitorCommand(m))) << MonitorTable[m].title;
    for (MenuCommand c : RuleP)
        EXPECT_FALSE(Enabled(c));
    EXPECT_TRUE(Enabled(MenuCommand::Interact));
}

TEST_F(Rules, Model31HasTwoInputsAndModel27OneAnalogOutput) {
    features_.ApplyModel(31);
    for (int m = 0; m < MonitorCount; ++m)
        EXPECT_EQ(m < 2, Enabled(MonitorCommand(m))) << MonitorTable[m].title;
    features_.ApplyModel(27);
    EXPECT_TRUE(Enabled(MenuCommand::MonitorAnalog1));
    EXPECT_FALSE(Enabled(MenuCommand::MonitorAnalog2));
    features_.ApplyModel(32);
    EXPECT_FALSE(Enabled(MenuCommand::MonitorChannelC));
    EXPECT_TRUE(Enabled(MenuCommand::MonitorAnalog2));
}

TEST_F(Rules, LoggingAnOpenMonitorAndAStoppedWorkerDisableTheirCommands) {
    features_.ApplyModel(28);
    monitors_.Set(0, 1);
    EXPECT_FALSE(Enabled(MenuCommand::MonitorChannelA));
    EXPECT_TRUE(Enabled(MenuCommand::MonitorChannelB));
    logging_ = true;
    for (MenuCommand c : RuleG)
        EXPECT_FALSE(Enabled(c));
    for (MenuCommand c : RuleP)
        EXPECT_FALSE(Enabled(c));
    // It brings back the run's progress window; without a model, too, since
    // the run goes on until it is stopped.
    EXPECT_TRUE(Enabled(MenuCommand::DataLoggingStart));
    features_.ClearFeatures();
    EXPECT_TRUE(Enabled(MenuCommand::DataLoggingStart));
    features_.ApplyModel(28);
    EXPECT_TRUE(Enabled(MenuCommand::UploadInternalDataLog));
    EXPECT_TRUE(Enabled(MenuCommand::MonitorChannelB));
    workerRunning_ = false;
    EXPECT_FALSE(Enabled(MenuCommand::MonitorChannelB));
}

// Sharing needs an identified instrument; once shared, the dialog stops it
// whatever happened to the instrument since.
TEST_F(Rules, ShareInstrumentNeedsTheModelOrASharingToStop) {
    EXPECT_FALSE(Enabled(MenuCommand::ShareInstrument));
    sharing_ = true;
    EXPECT_TRUE(Enabled(MenuCommand::ShareInstrument));
    sharing_ = false;
    features_.ApplyModel(28);
    logging_ = true;
    EXPECT_TRUE(Enabled(MenuCommand::ShareInstrument));
}

TEST_F(Rules, RS232SetUpFollowsThePortAndShortcutTheBar) {
    portType_ = 2;
    EXPECT_FALSE(Enabled(MenuCommand::RS232SetUp));
    portType_ = 3;
    EXPECT_FALSE(Enabled(MenuCommand::RS232SetUp));
    shortcutShown_ = false;
    EXPECT_TRUE(Enabled(MenuCommand::Shortcut));
}

TEST(FeatureTableRows, EveryModelCodeHasItsRowAndOthersAreUnidentified) {
    struct Expected {
        int code, modelClass, inputs, analog;
    };
    for (Expected e : {Expected{27, 2, 4, 3},
                       {28, 2, 4, 4},
                       {29, 1, 8, 0},
                       {30, 1, 4, 0},
                       {31, 1, 2, 0},
                       {32, 2, 2, 4},
                       {33, 0, 4, 2},
                       {34, 2, 4, 4},
                       {35, 1, 8, 0},
                       {0, 0, 4, 2},
                       {36, 0, 4, 2}}) {
        FeatureRow row = CFeatureTable::RowFor(e.code);
        EXPECT_EQ(e.modelClass, row.modelClass) << e.code;
        EXPECT_EQ(e.inputs, row.inputCount) << e.code;
        EXPECT_EQ(e.analog, row.analogKind) << e.code;
    }
}

TEST(FeatureTableRows, ApplyAndClearDriveTheShortcutButtons) {
    CShortcutBarState bar;
    CFeatureTable features(bar);
    auto enabled = [&](ShortcutButton b) { return bar.Get().enabled[static_cast<int>(b)]; };
    features.ApplyModel(30);
    EXPECT_FALSE(enabled(ShortcutButton::PidDownload));
    EXPECT_TRUE(enabled(ShortcutButton::UploadDataLog));
    EXPECT_TRUE(enabled(ShortcutButton::CurveDownload));
    EXPECT_TRUE(enabled(ShortcutButton::DataLogging));
    EXPECT_TRUE(enabled(ShortcutButton::Interact));
    EXPECT_EQ(1, features.Known());

    features.ApplyModel(33);
    EXPECT_FALSE(enabled(ShortcutButton::UploadDataLog));
    EXPECT_TRUE(enabled(ShortcutButton::Interact));
    EXPECT_EQ(0, features.Known());

    bar.SetModelText("ARKTRONIC,TX-28", " ");
    features.ClearFeatures();
    auto state = bar.Get();
    EXPECT_EQ("No Device", state.modelText);
    EXPECT_EQ("", state.versionText);
    for (int b = 0; b < ShortcutButtonCount; ++b)
        EXPECT_EQ(b == static_cast<int>(ShortcutButton::CalGen) ||
                      b == static_cast<int>(ShortcutButton::Connect),
                  state.enabled[b])
            << b;
    EXPECT_EQ(0, features.InputCount());
    EXPECT_EQ(0, features.ModelClass());
}

TEST(ShortcutBar, StatusAndCommTypeTexts) {
    CShortcutBarState bar;
    int changes = 0;
    bar.SetListener([&] { ++changes; });
    EXPECT_EQ("Not Connected", bar.Get().statusText);
    EXPECT_EQ(StatusNotConnected, bar.Get().status);
    bar.SetStatus(StatusConnected);
    EXPECT_EQ("Connected", bar.Get().statusText);
    bar.SetStatus(StatusError);
    EXPECT_EQ("Error", bar.Get().statusText);
    EXPECT_EQ(StatusError, bar.Get().status);
    bar.SetCommType(0);
    EXPECT_EQ("RS232", bar.Get().commType);
    bar.SetCommType(2);
    EXPECT_EQ("GPIB", bar.Get().commType);
    bar.SetCommType(3);
    EXPECT_EQ("LAN", bar.Get().commType);
    bar.SetCommType(1);
    EXPECT_EQ("LAN", bar.Get().commType);
    EXPECT_EQ(5, changes);
}

// Every model of the family, every monitor, menu command and shortcut button,
// against the feature rows and rules written out here by hand.
TEST(RulesForEveryModel, MonitorsCommandsAndButtonsFollowTheModel) {
    struct Expected {
        int code;
        // Monitors CH A..H, Heater 1, Heater 2, Analog 1, Analog 2: 'x' enabled.
        const char* monitors;
        bool ruleG; // Interact, curve download/upload, command file, data logging
        bool ruleP; // PID table download/upload
        bool datalog;
        // Buttons: curve download, PID download, interact, CalGen, data logging,
        // datalog upload, connect.
        const char* buttons;
    };
    const Expected table[] = {
        {27, "xxxx....xxx.", true, true, true, "xxxxxxx"},
        {28, "xxxx....xxxx", true, true, true, "xxxxxxx"},
        {29, "xxxxxxxx....", true, false, true, "x.xxxxx"},
        {30, "xxxx........", true, false, true, "x.xxxxx"},
        {31, "xx..........", true, false, true, "x.xxxxx"},
        {32, "xx......xxxx", true, true, true, "xxxxxxx"},
        {33, "............", false, false, false, "x.xxx.x"},
        {34, "xxxx....xxxx", true, true, true, "xxxxxxx"},
        {35, "xxxxxxxx....", true, false, true, "x.xxxxx"},
    };
    for (const Expected& e : table) {
        CShortcutBarState bar;
        CFeatureTable features(bar);
        CMonitorFlags monitors;
        features.ApplyModel(e.code);
        CommandContext context{features, monitors, false, 0, true, true};
        for (int m = 0; m < MonitorCount; ++m)
            EXPECT_EQ(e.monitors[m] == 'x', IsCommandEnabled(MonitorCommand(m), context))
                << "model " << e.code << ", " << MonitorTable[m].title;
        for (MenuCommand c : RuleG)
            EXPECT_EQ(e.ruleG, IsCommandEnabled(c, context))
                << "model " << e.code << ", command " << static_cast<int>(c);
        for (MenuCommand c : RuleP)
            EXPECT_EQ(e.ruleP, IsCommandEnabled(c, context))
                << "model " << e.code << ", command " << static_cast<int>(c);
        EXPECT_EQ(e.datalog, IsCommandEnabled(MenuCommand::UploadInternalDataLog, context))
            << "model " << e.code;
        for (MenuCommand c : AlwaysEnabled)
            EXPECT_TRUE(IsCommandEnabled(c, context)) << "model " << e.code;
        const auto enabled = bar.Get().enabled;
        for (int b = 0; b < ShortcutButtonCount; ++b)
            EXPECT_EQ(e.buttons[b] == 'x', enabled[b]) << "model " << e.code << ", button " << b;
    }
}
