// The channel monitors in the whole program, against the simulated controller:
// the View menu, the monitor worker's readings in the windows, closing, and a
// lost connection.

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

#include "app/CommandRules.h"
#include "app/VantorCore.h"
#include "app/ui/MainFrame.h"
#include "app/ui/ShortCutButtons.h"
#include "app/ui/VantorView.h"
#include "base/ui/WindowPlacement.h"
#include "logging/ui/ChartControl.h"
#include "logging/ui/MonitorWindows.h"
#include "logging/ui/StripChart.h"
#include "support/TempDir.h"
#include "support/WholeFile.h"
#include "support/ui/QtDialogs.h"
#include "ui/UiTestHelpers.h"

namespace {

// Serial settings for the simulator, with the monitors polled every 50 ms.
std::string MonitorSettings(const std::string& path, const CSimulatorProcess& simulator) {
    WriteSerialSettings(path, simulator.Address("pty"));
    CSettingsStore settings(path);
    settings.Load();
    settings.WriteString("LOG", "INTERVAL", "0.05");
    return path;
}

// Waits until the window has drawn a point that came from the instrument.
bool HasReading(CStripChart& window) {
    return QTest::qWaitFor(
        [&] {
            window.FlushRedraw();
            return !window.Chart()->StripLabels().last().isEmpty();
        },
        5000);
}

// Connects and opens the monitor of input A; gives it once it has a reading,
// else null.
CStripChart* ConnectAndOpenMonitorA(ProgramRun& run) {
    run.Frame().CommandAction(MenuCommand::Connect)->trigger();
    EXPECT_EQ("Connected", run.View().ShortcutBar()->StatusText());
    if (!run.Offered(MenuCommand::MonitorChannelA))
        return nullptr;
    run.Frame().CommandAction(MenuCommand::MonitorChannelA)->trigger();
    CStripChart* a = run.View().Monitors()->Window(0);
    return HasReading(*a) ? a : nullptr;
}

// The program connected to a simulated model 28, the monitor of input A open
// and reading.
class MonitorAOpen : public ::testing::Test {
protected:
    void SetUp() override {
        monitorA_ = ConnectAndOpenMonitorA(run_);
        ASSERT_NE(nullptr, monitorA_);
    }

    std::unique_ptr<CSimulatorProcess> simulator_ = StartSimulator(28);
    TempDir dir_;
    ProgramRun run_{MonitorSettings(dir_.File("Tundrix.INI"), *simulator_)};
    CStripChart* monitorA_ = nullptr;
};

} // namespace

TEST(MonitorsTest, ViewMenuOpensAMonitorThatFillsFromTheInstrumentAndRemembersItsPlace) {
    auto simulator = StartSimulator(28);
    TempDir dir;
    const std::string settings = MonitorSettings(dir.File("Tundrix.INI"), *simulator);
    QRect placed;
    {
        ProgramRun run(settings);
        EXPECT_FALSE(run.Offered(MenuCommand::MonitorHeater2));
        run.Frame().CommandAction(MenuCommand::Connect)->trigger();
        ASSERT_EQ("Connected", run.View().ShortcutBar()->StatusText());
        ASSERT_TRUE(run.Offered(MenuCommand::MonitorHeater2));
        EXPECT_EQ("Heater 2 Monitor",
                  run.Frame().CommandAction(MenuCommand::MonitorHeater2)->text());

        run.Frame().CommandAction(MenuCommand::MonitorHeater2)->trigger();
        CStripChart& heater = *run.View().Monitors()->Window(9);
        EXPECT_TRUE(heater.isVisible());
        EXPECT_EQ("Heater 2", heater.windowTitle());
        EXPECT_EQ(1, run.View().Core().MonitorFlags().Get(9));
        // Rule M: an open monitor's item is disabled.
        EXPECT_FALSE(run.Offered(MenuCommand::MonitorHeater2));
        EXPECT_TRUE(run.Offered(MenuCommand::MonitorHeater1));

        ASSERT_TRUE(HasReading(heater));
        EXPECT_EQ("Heater 2", heater.Chart()->Title());
        EXPECT_EQ(" (%)", heater.Chart()->YAxisTitle());
        EXPECT_GT(heater.Scale().Values().back(), 0.0f);
        EXPECT_LT(heater.Scale().Values().back(), 100.0f);
        // No other monitor was asked.
        EXPECT_TRUE(run.View().Monitors()->Window(8)->Chart()->StripLabels().last().isEmpty());

        heater.setGeometry(60, 70, 500, 280);
        placed = heater.geometry();
        heater.close();
        EXPECT_FALSE(heater.isVisible());
        EXPECT_EQ(0, run.View().Core().MonitorFlags().Get(9));
        EXPECT_TRUE(run.Offered(MenuCommand::MonitorHeater2));
        EXPECT_TRUE(run.Boxes().empty());
        run.End();
    }
    EXPECT_EQ(ToWindowRect(placed), StoredRect(settings, "HTR2POS"));
    ProgramRun next(settings);
    EXPECT_EQ(placed, next.View().Monitors()->Window(9)->geometry());
}

TEST_F(MonitorAOpen, AFailedQueryDisconnectsAndLeavesTheMonitorOpen) {
    CSimulatorProcess& simulator = *simulator_;
    ProgramRun& run = run_;
    CStripChart& a = *monitorA_;
    EXPECT_EQ("Input A", a.Chart()->Title());
    EXPECT_EQ(" (K)", a.Chart()->YAxisTitle());

    // The instrument goes away.
    simulator.Stop();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return run.View().ShortcutBar()->StatusText() == "Error"; }, 5000));
    EXPECT_FALSE(run.View().Core().Features().IsModelKnown());
    EXPECT_TRUE(a.isVisible());
    EXPECT_EQ(1, run.View().Core().MonitorFlags().Get(0));
    ASSERT_FALSE(run.Boxes().empty());
    EXPECT_EQ("Communication Error", run.Boxes().front().first);
    // Closed, it is polled no more.
    a.close();
    EXPECT_EQ(0, run.View().Core().MonitorFlags().Get(0));
}

TEST(MonitorsTest, AReadingSentFromAnotherThreadReachesItsWindow) {
    TempDir dir;
    ProgramRun run(WriteQuietSettings(dir.File("Tundrix.INI")));
    CStripChart& analog = *run.View().Monitors()->Window(10);
    std::thread worker([&] {
        run.View().MonitorReadingArrived(10, {"12.5", "%", "Analog 1\r\n"});
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return analog.Scale().Values().back() == 12.5f; }, 5000));
    worker.join();
    analog.FlushRedraw();
    EXPECT_EQ("Analog 1", analog.Chart()->Title());
    // It waits for its window, hidden or not.
    EXPECT_FALSE(analog.isVisible());
}

// "Upload Internal DataLog" holds the link for longer than the monitor worker
// waits for it (the user takes 2.5 s over the save dialog): the open monitor
// skips its turns, the link is not declared lost, and the monitor goes on.
TEST_F(MonitorAOpen, AnUploadHoldingTheLinkLeavesTheLinkAndTheMonitorsAlone) {
    TempDir& dir = dir_;
    ProgramRun& run = run_;
    CStripChart& a = *monitorA_;

    const std::string path = dir.File("upload.csv");
    WhenModal<QFileDialog>([path](QFileDialog* save) {
        QTimer::singleShot(2500, save, [save, path] {
            save->findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(path));
            static_cast<QDialog*>(save)->accept();
        });
    });
    ASSERT_TRUE(run.Offered(MenuCommand::UploadInternalDataLog));
    run.Frame().CommandAction(MenuCommand::UploadInternalDataLog)->trigger();

    EXPECT_EQ(0u, ReadFile(path).find("TX-28 Internal Data Log\r\n"));
    ASSERT_EQ(1u, run.Boxes().size());
    EXPECT_EQ("Upload Complete", run.Boxes()[0].first);
    EXPECT_EQ("Connected", run.View().ShortcutBar()->StatusText());
    EXPECT_TRUE(run.View().Core().Features().IsModelKnown());
    EXPECT_TRUE(run.Offered(MenuCommand::UploadInternalDataLog));
    EXPECT_TRUE(run.View().ShortcutBar()->Button(ShortcutButton::UploadDataLog)->isEnabled());
    a.Clear();
    EXPECT_TRUE(HasReading(a));
    EXPECT_EQ(1u, run.Boxes().size());
    EXPECT_EQ("Connected", run.View().ShortcutBar()->StatusText());
}

// A box belongs to the window that raised it: the monitor's own range check
// sits over the monitor, not over the main window; a worker's box, about the
// link the main window owns, sits over the main window.
TEST(MonitorsTest, AMonitorsBoxSitsOverTheMonitorAndAWorkersOverTheMainWindow) {
    TempDir dir;
    ProgramRun run(WriteQuietSettings(dir.File("Tundrix.INI")));
    ASSERT_NE(nullptr, run.View().Monitors());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&run.Frame(), 2000));
    run.View().Monitors()->Open(2);
    CStripChart& c = *run.View().Monitors()->Window(2);
    // The user clicks into the monitor.
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&c, 2000));
    QTest::qWait(50);
    c.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &c; }, 2000));
    for (QPushButton* button : c.findChildren<QPushButton*>())
        if (button->text() == "Manual")
            button->click();
    c.MaxField()->setText("10");
    c.MinField()->setText("10");
    c.ApplyButton()->click();
    ASSERT_EQ(1u, run.Boxes().size());
    EXPECT_EQ("Max value must be bigger than the min value", run.Boxes().back().first);
    EXPECT_EQ(&c, run.View().MessageBoxes().LastParent());

    std::atomic<bool> shown{false};
    std::thread worker([&] {
        run.View().MessageBoxes().ShowMessage("Communication Error", MessageIcon::Stop);
        shown = true;
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown.load(); }, 2000));
    worker.join();
    ASSERT_EQ(2u, run.Boxes().size());
    EXPECT_EQ(&run.Frame(), run.View().MessageBoxes().LastParent());
}
