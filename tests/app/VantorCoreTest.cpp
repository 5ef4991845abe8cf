#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "app/VantorCore.h"
#include "base/Event.h"
#include "base/SettingsStore.h"
#include "base/TransactionMutex.h"
#include "logging/MonitorTable.h"
#include "support/PtyPeer.h"
#include "support/TestUi.h"

using namespace std::chrono_literals;

TEST(MonitorPlacement, ClosingAMonitorStoresItsPlaceAndClearsOnlyItsFlag) {
    CSettingsStore settings("");
    CMonitorFlags flags;
    for (int i = 0; i < MonitorCount; ++i)
        flags.Set(i, 1);
    EXPECT_TRUE(SaveMonitorPlacement(settings, flags, "Channel H", {5, 6, 305, 206}));
    EXPECT_EQ((WindowRect{5, 6, 305, 206}), ReadWindowRect(settings, "CHHPOS"));
    for (int i = 0; i < MonitorCount; ++i)
        EXPECT_EQ(i == 7 ? 0 : 1, flags.Get(i)) << MonitorTable[i].title;

    EXPECT_TRUE(SaveMonitorPlacement(settings, flags, "Analog 2", {1, 1, 2, 2}));
    EXPECT_EQ(0, flags.Get(11));
    EXPECT_EQ(2, settings.GetInt("ANA2POS", "WinRight", 0));
}

TEST(MonitorPlacement, ATitleOfNoMonitorIsIgnored) {
    CSettingsStore settings("");
    CMonitorFlags flags;
    flags.Set(0, 1);
    EXPECT_FALSE(SaveMonitorPlacement(settings, flags, "Channel A (renamed)", {1, 2, 3, 4}));
    EXPECT_FALSE(SaveMonitorPlacement(settings, flags, "channel a", {1, 2, 3, 4}));
    EXPECT_EQ(1, flags.Get(0));
    EXPECT_TRUE(ReadWindowRect(settings, "CHAPOS").IsEmpty());
    EXPECT_TRUE(flags.AnyOpen());
    flags.ClearAll();
    EXPECT_FALSE(flags.AnyOpen());
}

TEST(Events, WaitAnyReportsWhichEventWasSetAndStopWins) {
    CEvent stop, sample;
    EXPECT_EQ(-1, CEvent::WaitAny(stop, sample, 10ms));
    std::thread setter([&] {
        std::this_thread::sleep_for(20ms);
        sample.Set();
    });
    EXPECT_EQ(1, CEvent::WaitAny(stop, sample, 2000ms));
    setter.join();
    // Manual reset: still set until reset.
    EXPECT_EQ(1, CEvent::WaitAny(stop, sample, 0ms));
    stop.Set();
    EXPECT_EQ(0, CEvent::WaitAny(stop, sample, 0ms));
    sample.Reset();
    stop.Reset();
    EXPECT_FALSE(sample.Wait(5ms));
}

TEST(TransactionMutexWaits, TryFailsAtOnceATimedWaitGetsTheLockWhenReleased) {
    CTransactionMutex mutex;
    std::unique_lock held(mutex);
    std::atomic<bool> tried{false};
    std::atomic<bool> timedOut{true};
    std::thread other([&] {
        tried = mutex.try_lock();
        auto start = std::chrono::steady_clock::now();
        timedOut = !mutex.try_lock_for(1000ms);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 900ms);
        if (!timedOut)
            mutex.unlock();
    });
    std::this_thread::sleep_for(50ms);
    held.unlock();
    other.join();
    EXPECT_FALSE(tried);
    EXPECT_FALSE(timedOut);
    EXPECT_TRUE(mutex.try_lock());
    EXPECT_FALSE(mutex.try_lock_for(20ms));
    mutex.unlock();
}

class TerminalTransaction : public ::testing::Test {
protected:
    void SetUp() override {
        settings_.WriteString("SerialDevices", "COM2", peer_.Device());
        core_.Link().LoadSettings();
        peer_.StartResponder([](const std::string& line) {
            return line == "*IDN?" ? std::string("ARKTRONIC,TX-28,SN1,1.0\r\n") : std::string();
        });
    }
    void TearDown() override { peer_.StopResponder(); }

    PtyPeer peer_;
    CSettingsStore settings_{""};
    TestUi ui_;
    CVantorCore core_{settings_, ui_, ui_, ui_};
};

TEST_F(TerminalTransaction, LogsQueriesWithTheirRepliesAndCommandsAlone) {
    EXPECT_EQ(Link::Success, core_.TerminalCommand("*IDN?"));
    EXPECT_EQ(Link::Success, core_.TerminalCommand("INP A:NAME Cold stage"));
    EXPECT_EQ("\nquery:*IDN?\nresponse:ARKTRONIC,TX-28,SN1,1.0\r\n\n"
              "\ncommand:INP A:NAME Cold stage\n",
              ui_.Log());
}

TEST_F(TerminalTransaction, AFailedQueryStillLogsItsEmptyResponseWithoutABox) {
    EXPECT_EQ(Link::SerialFailure, core_.TerminalCommand("KRDG? A"));
    EXPECT_EQ("\nquery:KRDG? A\nresponse:\n", ui_.Log());
    EXPECT_TRUE(ui_.Boxes().empty());
}

TEST_F(TerminalTransaction, EmptyLinesAndABusyLinkSendNothing) {
    EXPECT_FALSE(core_.TerminalCommand(""));
    std::unique_lock held(core_.TransactionMutex());
    std::optional<LinkResult> result = LinkResult{99};
    std::thread other([&] { result = core_.TerminalCommand("*IDN?"); });
    other.join();
    EXPECT_FALSE(result);
    EXPECT_EQ("", ui_.Log());
    held.unlock();
    // The lock is free again after the busy refusal.
    EXPECT_EQ(Link::Success, core_.TerminalCommand("*IDN?"));
}
