#include <gtest/gtest.h>

#include <mutex>
#include <thread>

#include "app/VantorCore.h"
#include "base/SettingsStore.h"
#include "base/SimulatorProcess.h"
#include "comm/ConnectionStatus.h"
#include "logging/WorkerEvents.h"
#include "support/PtyPeer.h"
#include "support/TestUi.h"

using namespace std::chrono_literals;

namespace {

class RecordingEvents : public IWorkerEvents {
public:
    void MonitorReadingArrived(int index, const MonitorReading& reading) override {
        std::lock_guard lock(mutex_);
        readings_.push_back({index, reading});
    }
    void Disconnected(int status) override {
        std::lock_guard lock(mutex_);
        disconnects_.push_back(status);
    }
    void LoggingCommError() override {}
    void LogCountChanged() override {}

    std::vector<std::pair<int, MonitorReading>> Readings() {
        std::lock_guard lock(mutex_);
        return readings_;
    }
    std::vector<int> Disconnects() {
        std::lock_guard lock(mutex_);
        return disconnects_;
    }

private:
    std::mutex mutex_;
    std::vector<std::pair<int, MonitorReading>> readings_;
    std::vector<int> disconnects_;
};

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit = 5s) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

} // namespace

class Workers : public ::testing::Test {
protected:
    void Start(const std::string& device, const char* interval) {
        settings_.WriteString("SerialDevices", "COM2", device);
        settings_.WriteString("LOG", "INTERVAL", interval);
        core_.LoadLoggingInterval();
        core_.Link().LoadSettings();
        core_.StartWorkers(events_);
    }

    CSettingsStore settings_{""};
    TestUi ui_;
    RecordingEvents events_;
    CVantorCore core_{settings_, ui_, ui_, ui_};
};

TEST_F(Workers, AnOpenMonitorIsQueriedAndItsReadingHandedOver) {
    CSimulatorProcess sim;
    ASSERT_TRUE(sim.Start(TUNDRIX_SIM_PROGRAM, {"--pty", "--model", "28"}));
    Start(sim.Address("pty"), "0.05");
    core_.MonitorFlags().Set(0, 1);
    core_.MonitorFlags().Set(8, 1);
    ASSERT_TRUE(WaitFor([&] {
        auto r = events_.Readings();
        bool a = false, heater = false;
        for (auto& [index, reading] : r) {
            a |= index == 0;
            heater |= index == 8;
        }
        return a && heater;
    }));
    for (auto& [index, reading] : events_.Readings()) {
        if (index == 0) {
            EXPECT_EQ("K", reading.unit);
            // The name is the rest of the reply, line end included.
            EXPECT_EQ("Input A\r\n", reading.name);
            EXPECT_GT(std::stod(reading.value), 0.0);
        } else {
            EXPECT_EQ(8, index);
            EXPECT_EQ("%", reading.unit);
        }
    }
    EXPECT_TRUE(events_.Disconnects().empty());
}

TEST_F(Workers, AFailedQueryReportsALostConnection) {
    PtyPeer peer;
    Start(peer.Device(), "0.02");
    core_.MonitorFlags().Set(3, 1);
    ASSERT_TRUE(WaitFor([&] { return !events_.Disconnects().empty(); }));
    EXPECT_EQ(StatusError, events_.Disconnects().front());
    EXPECT_TRUE(events_.Readings().empty());
    EXPECT_EQ(0u, peer.Read().find("INP D:TEMP?;UNIT?;NAME?;\n"));
}

TEST_F(Workers, StopEndsWaitingWorkersAtOnce) {
    PtyPeer peer;
    Start(peer.Device(), "30.0");
    EXPECT_TRUE(core_.MonitorWorkerRunning());
    auto start = std::chrono::steady_clock::now();
    core_.StopWorkers();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 200ms);
    EXPECT_FALSE(core_.MonitorWorkerRunning());
    EXPECT_EQ("", peer.Read(20ms, 100ms));
}

TEST_F(Workers, TheCoresPollingWorkerTakesNoSampleOutsideARun) {
    PtyPeer peer;
    Start(peer.Device(), "30.0");
    core_.SampleEvent().Set();
    // The worker resets the event as it takes the sample event.
    ASSERT_TRUE(WaitFor([&] { return !core_.SampleEvent().IsSet(); }, 2s));
    EXPECT_EQ("", peer.Read(20ms, 200ms));
    EXPECT_EQ(0, core_.LoggingRun().State().Entries());
    core_.StopWorkers();
}

TEST(LoggingInterval, ReadFromTheSettingsWithASafeDefault) {
    CSettingsStore settings("");
    TestUi ui;
    CVantorCore core(settings, ui, ui, ui);
    core.LoadLoggingInterval();
    EXPECT_DOUBLE_EQ(30.0, core.LoggingInterval());
    settings.WriteString("LOG", "INTERVAL", "2.5");
    core.LoadLoggingInterval();
    EXPECT_DOUBLE_EQ(2.5, core.LoggingInterval());
    for (const char* bad : {"0", "-1", "abc", "nan"}) {
        settings.WriteString("LOG", "INTERVAL", bad);
        core.LoadLoggingInterval();
        EXPECT_DOUBLE_EQ(30.0, core.LoggingInterval()) << bad;
    }
}
