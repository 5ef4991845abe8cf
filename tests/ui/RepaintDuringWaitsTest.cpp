#include <QComboBox>
#include <QCursor>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPainter>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>
#include <vector>

#include "app/SimulatedRun.h"
#include "app/VantorCore.h"
#include "app/ui/ShortCutButtons.h"
#include "base/SettingsStore.h"
#include "base/SimulatorProcess.h"
#include "comm/ConnectionStatus.h"
#include "curves/dialogs/CalTblNumReq.h"
#include "support/TempDir.h"
#include "support/ui/QtDialogs.h"
#include "ui/UiTestHelpers.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A window that asks to be repainted every 5 ms, as an animation would, and
// notes when it was painted and whether the busy cursor showed.
class RepaintProbe : public QWidget {
public:
    RepaintProbe() {
        resize(120, 80);
        connect(&timer_, &QTimer::timeout, this, [this] { update(); });
        timer_.start(5);
        show();
    }

    // The longest time the window went unpainted between `from` and `to`.
    std::chrono::milliseconds LongestGap(Clock::time_point from, Clock::time_point to) const {
        Clock::time_point last = from;
        Clock::duration longest{};
        for (Clock::time_point paint : paints_) {
            if (paint < from || paint > to)
                continue;
            longest = std::max(longest, paint - last);
            last = paint;
        }
        longest = std::max(longest, to - last);
        return std::chrono::duration_cast<std::chrono::milliseconds>(longest);
    }
    int PaintsBetween(Clock::time_point from, Clock::time_point to) const {
        return static_cast<int>(std::count_if(paints_.begin(), paints_.end(), [&](auto paint) {
            return paint >= from && paint <= to;
        }));
    }
    bool SawBusyCursor() const { return sawBusyCursor_; }

protected:
    void paintEvent(QPaintEvent*) override {
        paints_.push_back(Clock::now());
        QPainter(this).fillRect(rect(), paints_.size() % 2 ? Qt::darkBlue : Qt::darkGreen);
        const QCursor* cursor = QGuiApplication::overrideCursor();
        sawBusyCursor_ = sawBusyCursor_ || (cursor && cursor->shape() == Qt::WaitCursor);
    }

private:
    QTimer timer_;
    std::vector<Clock::time_point> paints_;
    bool sawBusyCursor_ = false;
};

// `tundrix --simulate` on one transport, up to the end of the first show.
class SimulatedRunOn : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        simulator_ = new CSimulatorProcess;
        ASSERT_TRUE(
            simulator_->Start(TUNDRIX_SIM_PROGRAM, SimulatorArguments(28), SimulatorServices()))
            << simulator_->Error();
    }
    static void TearDownTestSuite() {
        delete simulator_;
        simulator_ = nullptr;
    }

    std::unique_ptr<ProgramRun> Start(int portType) {
        ::setenv("TUNDRIX_GPIB_LIBRARY", TUNDRIX_GPIB_SIM_LIBRARY, 1);
        const std::string path = dir_.File("Tundrix-simulate.INI");
        {
            CSettingsStore settings(path);
            EXPECT_TRUE(PrepareSimulatedSettings(settings, *simulator_));
            settings.WriteInt("CommunicationSetup", "PortType", portType);
        }
        return std::make_unique<ProgramRun>(path);
    }

    static void Report(const char* wait, std::chrono::milliseconds gap, int paints) {
        std::printf("[ measured ] %s: longest gap between repaints %lld ms, %d repaints\n", wait,
                    static_cast<long long>(gap.count()), paints);
    }

    static CSimulatorProcess* simulator_;
    TempDir dir_;
};

CSimulatorProcess* SimulatedRunOn::simulator_ = nullptr;

// A query the simulated four-input controller leaves unanswered: the link
// waits for its whole time-out.
const char* const Unanswered = "INP H:TEMP?";

TEST_F(SimulatedRunOn, ALanTimeOutKeepsTheWindowsPaintedAndHoldsBackTheWorkers) {
    auto run = Start(PortLAN);
    CVantorCore& core = run->View().Core();
    ASSERT_EQ(1, core.Link().ConnectLAN());
    RepaintProbe probe;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&probe));

    // Half-way through the wait a worker reports a lost connection: handled
    // only after the wait, so the LAN link is not dropped under the read.
    std::atomic<bool> waitOver{false};
    std::atomic<bool> workerDone{false};
    std::atomic<bool> disconnectedDuringWait{false};
    std::thread worker([&] {
        std::this_thread::sleep_for(1500ms);
        run->View().Disconnected(StatusError);
        disconnectedDuringWait = !waitOver;
        workerDone = true;
    });

    const auto start = Clock::now();
    const auto result = core.TerminalCommand(Unanswered);
    const auto end = Clock::now();
    waitOver = true;
    // Back in the event loop, the worker's message is handled.
    const bool handled = QTest::qWaitFor([&] { return workerDone.load(); }, 5000);
    if (!handled)
        core.StopEvent().Set(); // the worker gives up rather than hang the test
    worker.join();
    EXPECT_TRUE(handled);

    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(Link::LanFailure, *result);
    EXPECT_GE(end - start, 2900ms) << "the LAN read waits its 3 s";
    EXPECT_FALSE(disconnectedDuringWait);
    EXPECT_EQ(StatusError, core.ShortcutBar().Get().status) << "handled after the wait";

    const auto gap = probe.LongestGap(start, end);
    Report("LAN time-out, 3 s", gap, probe.PaintsBetween(start, end));
    ::testing::Test::RecordProperty("lan_longest_repaint_gap_ms", static_cast<int>(gap.count()));
    // Without the pump the window goes unpainted for the whole 3 s.
    EXPECT_LT(gap, 1000ms);
    EXPECT_GE(probe.PaintsBetween(start, end), 20);

    // The busy cursor showed during the wait and goes once the event loop runs.
    EXPECT_TRUE(probe.SawBusyCursor());
    EXPECT_TRUE(QTest::qWaitFor([] { return QGuiApplication::overrideCursor() == nullptr; }));
    EXPECT_TRUE(run->Boxes().empty());
}

TEST_F(SimulatedRunOn, AGpibReadAndAWaitForTheLinkKeepTheWindowsPainted) {
    auto run = Start(PortGPIB);
    CVantorCore& core = run->View().Core();
    RepaintProbe probe;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&probe));
    ASSERT_EQ(Link::Success, core.TerminalCommand("*IDN?").value_or(-99));

    // The simulated GPIB device gives up after its 1 s time-out.
    auto start = Clock::now();
    EXPECT_EQ(Link::Success, core.TerminalCommand(Unanswered).value_or(-99));
    auto end = Clock::now();
    EXPECT_GE(end - start, 900ms);
    auto gap = probe.LongestGap(start, end);
    Report("GPIB time-out, 1 s", gap, probe.PaintsBetween(start, end));
    EXPECT_LT(gap, 500ms);

    // A worker holds the link longer than the 1000 ms a command waits for it.
    std::atomic<bool> held{false};
    std::thread worker([&] {
        std::lock_guard lock(core.TransactionMutex());
        held = true;
        std::this_thread::sleep_for(1500ms);
    });
    while (!held)
        std::this_thread::yield();
    start = Clock::now();
    EXPECT_FALSE(core.TerminalCommand("*IDN?").has_value()) << "dropped after 1000 ms";
    end = Clock::now();
    worker.join();
    EXPECT_GE(end - start, 950ms);
    gap = probe.LongestGap(start, end);
    Report("transaction mutex wait, 1 s", gap, probe.PaintsBetween(start, end));
    EXPECT_LT(gap, 500ms);
    EXPECT_TRUE(run->Boxes().empty());
    ::unsetenv("TUNDRIX_GPIB_LIBRARY");
}

// Over GPIB each "SENSORIX?" before the user curve dialog ends with a read
// time-out: seconds in all, under the busy cursor, which goes once the
// program waits for the user instead.
TEST_F(SimulatedRunOn, OverGpibTheQueriesBeforeTheUserCurveDialogShowTheBusyCursor) {
    auto run = Start(PortGPIB);
    run->View().Core().Features().ApplyModel(28);
    ASSERT_TRUE(run->Offered(MenuCommand::CurveUpload));
    RepaintProbe probe;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&probe));
    bool busyAtDialog = true;
    Clock::time_point asked{};
    WhenModal<CCalTblNumReq>(
        [&](CCalTblNumReq* number) {
            asked = Clock::now();
            busyAtDialog = QGuiApplication::overrideCursor() != nullptr;
            number->reject();
        },
        12000);
    const auto start = Clock::now();
    run->Frame().CommandAction(MenuCommand::CurveUpload)->trigger();
    ASSERT_NE(Clock::time_point{}, asked);
    EXPECT_GE(asked - start, 900ms);
    EXPECT_TRUE(probe.SawBusyCursor());
    EXPECT_FALSE(busyAtDialog) << "the dialog waits for the user, not the program";
    EXPECT_TRUE(QTest::qWaitFor([] { return QGuiApplication::overrideCursor() == nullptr; }));
    ::unsetenv("TUNDRIX_GPIB_LIBRARY");
}

TEST_F(SimulatedRunOn, ACurveUploadKeepsTheWindowsPaintedThroughItsWaits) {
    auto run = Start(PortRS232);
    run->Frame().CommandAction(MenuCommand::Connect)->trigger();
    ASSERT_EQ("Connected", run->View().ShortcutBar()->StatusText());
    ASSERT_TRUE(run->Offered(MenuCommand::CurveUpload));
    RepaintProbe probe;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&probe));

    // User curve 3, then the save dialog, which offers the curve's number.
    const std::string out = dir_.File("curve3.crv");
    QString proposed;
    Clock::time_point saved{};
    WhenModal<CCalTblNumReq>([&](CCalTblNumReq* number) {
        WhenModal<QFileDialog>([&](QFileDialog* save) {
            auto* name = save->findChild<QLineEdit*>("fileNameEdit");
            proposed = name->text();
            name->setText(QString::fromStdString(out));
            static_cast<QDialog*>(save)->accept();
            saved = Clock::now();
        });
        number->CurveList()->setCurrentIndex(2);
        number->accept();
    });
    run->Frame().CommandAction(MenuCommand::CurveUpload)->trigger();
    const auto end = Clock::now();

    EXPECT_EQ("UserCurve3.crv", proposed);
    ASSERT_NE(Clock::time_point{}, saved);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !run->Boxes().empty(); }, 5000));
    EXPECT_EQ("Upload Complete", run->Boxes().back().first);
    EXPECT_TRUE(run->View().LogText().contains("User Curve 3 is uploaded to " +
                                               QString::fromStdString(out)));
    // "SENSORIX 63:NENTRY?", the 1000 ms wait and the table read, on the window's thread.
    EXPECT_GE(end - saved, 1000ms);
    const auto gap = probe.LongestGap(saved, end);
    Report("curve upload from the save dialog on, 1 s wait", gap, probe.PaintsBetween(saved, end));
    EXPECT_LT(gap, 500ms);
    EXPECT_GE(probe.PaintsBetween(saved, end), 10);
    EXPECT_TRUE(probe.SawBusyCursor());
}

} // namespace
