// The monitor worker against a real instrument line: the simulator over a
// loopback socket, and a scripted instrument on a pseudo-terminal.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "base/Event.h"
#include "base/SettingsStore.h"
#include "base/SimulatorProcess.h"
#include "base/TransactionMutex.h"
#include "comm/CommLink.h"
#include "comm/ConnectionStatus.h"
#include "comm/MyIPAddr.h"
#include "logging/MonitorTable.h"
#include "logging/MonitorWorker.h"
#include "support/PtyPeer.h"
#include "support/SimulatorLinks.h"
#include "support/TestUi.h"

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

class RecordingEvents : public IWorkerEvents {
public:
    struct Arrival {
        int index;
        MonitorReading reading;
        Clock::time_point at;
    };

    void MonitorReadingArrived(int index, const MonitorReading& reading) override {
        std::lock_guard lock(mutex_);
        readings_.push_back({index, reading, Clock::now()});
    }
    void Disconnected(int status) override {
        std::lock_guard lock(mutex_);
        disconnects_.push_back(status);
    }
    void LoggingCommError() override {}
    void LogCountChanged() override {}

    std::vector<Arrival> Readings() {
        std::lock_guard lock(mutex_);
        return readings_;
    }
    std::vector<Arrival> ReadingsOf(int index) {
        std::vector<Arrival> of;
        for (const Arrival& a : Readings())
            if (a.index == index)
                of.push_back(a);
        return of;
    }
    std::vector<int> Disconnects() {
        std::lock_guard lock(mutex_);
        return disconnects_;
    }
    void Clear() {
        std::lock_guard lock(mutex_);
        readings_.clear();
        disconnects_.clear();
    }

private:
    std::mutex mutex_;
    std::vector<Arrival> readings_;
    std::vector<int> disconnects_;
};

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

// The worker on a thread of its own, over one link, as the view runs it.
class MonitorWorkerRun : public ::testing::Test {
protected:
    ~MonitorWorkerRun() override { Stop(); }

    void Start(double intervalSeconds) {
        interval_ = intervalSeconds;
        thread_ = std::thread([this] {
            MonitorWorkerContext context{link_, mutex_, stop_, flags_, interval_};
            CMonitorWorker(context, events_).Run();
        });
    }
    void Stop() {
        stop_.Set();
        if (thread_.joinable())
            thread_.join();
    }

    CSettingsStore settings_{""};
    TestUi ui_;
    CCommLink link_{settings_, ui_, ui_, ui_};
    CTransactionMutex mutex_;
    CEvent stop_;
    CMonitorFlags flags_;
    std::atomic<double> interval_{30.0};
    RecordingEvents events_;
    std::thread thread_;
};

std::vector<double> GapsInMs(const std::vector<RecordingEvents::Arrival>& arrivals) {
    std::vector<double> gaps;
    for (std::size_t i = 1; i < arrivals.size(); ++i)
        gaps.push_back(
            std::chrono::duration<double, std::milli>(arrivals[i].at - arrivals[i - 1].at).count());
    return gaps;
}

} // namespace

TEST_F(MonitorWorkerRun, OpenMonitorsShareTheIntervalAgainstTheSimulator) {
    CSimulatorProcess sim;
    ASSERT_TRUE(sim.Start(TUNDRIX_SIM_PROGRAM, {"--tcp", "0", "--model", "28"}, {"tcp"}))
        << sim.Error();
    const std::string tcp = sim.Address("tcp");
    const auto colon = tcp.rfind(':');
    link_.UseLanAddress(*MyIPAddr::Parse(tcp.substr(0, colon)), std::stoi(tcp.substr(colon + 1)));
    ASSERT_EQ(1, link_.ConnectLAN());

    // One open monitor: twelve slots of the whole interval between its queries.
    constexpr double Interval = 0.05;
    flags_.Set(0, 1);
    Start(Interval);
    ASSERT_TRUE(WaitFor([&] { return events_.ReadingsOf(0).size() >= 3; }, 5s));
    for (double gap : GapsInMs(events_.ReadingsOf(0))) {
        EXPECT_GE(gap, 0.9 * 12 * Interval * 1000);
        EXPECT_LE(gap, 2.0 * 12 * Interval * 1000);
    }
    const MonitorReading first = events_.Readings().front().reading;
    EXPECT_GT(std::stod(first.value), 70.0);
    EXPECT_EQ("K", first.unit);
    EXPECT_EQ("Input A\r\n", first.name);

    // Two open: each slot is half as long, so each is asked twice as often,
    // turn about.
    flags_.Set(8, 1);
    events_.Clear();
    ASSERT_TRUE(WaitFor([&] { return events_.ReadingsOf(0).size() >= 3; }, 5s));
    for (int index : {0, 8})
        for (double gap : GapsInMs(events_.ReadingsOf(index))) {
            EXPECT_GE(gap, 0.9 * 6 * Interval * 1000) << index;
            EXPECT_LE(gap, 2.0 * 6 * Interval * 1000) << index;
        }
    const auto readings = events_.Readings();
    for (std::size_t i = 1; i < readings.size(); ++i)
        EXPECT_NE(readings[i].index, readings[i - 1].index);
    const MonitorReading heater = events_.ReadingsOf(8).front().reading;
    EXPECT_EQ("%", heater.unit);
    EXPECT_EQ("Heater 1\r\n", heater.name);
    EXPECT_TRUE(events_.Disconnects().empty());
    EXPECT_TRUE(ui_.Boxes().empty());
}

TEST_F(MonitorWorkerRun, EachMonitorSendsItsOwnQueryAndItsReplyIsSplitByKind) {
    PtyPeer peer;
    std::mutex sentMutex;
    std::vector<std::string> sent;
    peer.StartResponder([&](const std::string& line) -> std::string {
        {
            std::lock_guard lock(sentMutex);
            sent.push_back(line);
        }
        if (line == "INP A:TEMP?;UNIT?;NAME?;")
            return "12.345;K;Cold stage\r\n";
        if (line == "LOOP 1:HTRR?NAME?;")
            return "45.0;Heater\r\n";
        return "";
    });
    ASSERT_TRUE(link_.UseSerialDevice(peer.Device(), 0));
    flags_.Set(0, 1);
    flags_.Set(8, 1);
    Start(0.02);
    ASSERT_TRUE(WaitFor(
        [&] { return !events_.ReadingsOf(0).empty() && !events_.ReadingsOf(8).empty(); }, 5s));
    Stop();

    const MonitorReading channel = events_.ReadingsOf(0).front().reading;
    EXPECT_EQ("12.345", channel.value);
    EXPECT_EQ("K", channel.unit);
    EXPECT_EQ("Cold stage\r\n", channel.name);
    const MonitorReading heater = events_.ReadingsOf(8).front().reading;
    EXPECT_EQ("45.0", heater.value);
    EXPECT_EQ("%", heater.unit);
    EXPECT_EQ("Heater\r\n", heater.name);

    std::lock_guard lock(sentMutex);
    ASSERT_GE(sent.size(), 2u);
    // Index 8 comes round before index 0.
    EXPECT_EQ("LOOP 1:HTRR?NAME?;", sent[0]);
    EXPECT_EQ("INP A:TEMP?;UNIT?;NAME?;", sent[1]);
}

TEST_F(MonitorWorkerRun, TheOutputQueriesGoOutExactlyAsWritten) {
    PtyPeer peer;
    ASSERT_TRUE(link_.UseSerialDevice(peer.Device(), 0));
    // Each query on its own: nothing answers, so each one fails after it was sent.
    const std::vector<std::pair<int, std::string>> queries = {{2, "INP C:TEMP?;UNIT?;NAME?;\n"},
                                                              {7, "INP H:TEMP?;UNIT?;NAME?;\n"},
                                                              {9, "LOOP 2:HTRR?NAME?;\n"},
                                                              {10, "LOOP 3:OUTP?NAME?;\n"},
                                                              {11, "LOOP 4:OUTP?NAME?;\n"}};
    for (const auto& [index, line] : queries) {
        MonitorQuery query = QueryMonitor(link_, mutex_, index);
        EXPECT_TRUE(query.locked);
        EXPECT_FALSE(query.Succeeded());
        EXPECT_EQ(Link::SerialFailure, query.result);
        EXPECT_EQ(line, peer.Read(20ms, 500ms));
    }
    // The link said so, once per failed query.
    EXPECT_EQ(std::vector<std::string>(queries.size(), "Communication Error"), ui_.BoxTexts());
}

TEST_F(MonitorWorkerRun, WithNoMonitorOpenNothingIsSent) {
    PtyPeer peer;
    ASSERT_TRUE(link_.UseSerialDevice(peer.Device(), 0));
    Start(0.01);
    EXPECT_EQ("", peer.Read(300ms, 300ms));
    Stop();
    EXPECT_TRUE(events_.Disconnects().empty());
    EXPECT_TRUE(events_.Readings().empty());
}

TEST_F(MonitorWorkerRun, AFailedQueryReportsALostConnectionAndTheMonitorStaysPolled) {
    PtyPeer peer;
    ASSERT_TRUE(link_.UseSerialDevice(peer.Device(), 0));
    flags_.Set(4, 1);
    Start(0.01);
    ASSERT_TRUE(WaitFor([&] { return events_.Disconnects().size() >= 2; }, 5s));
    EXPECT_EQ(StatusError, events_.Disconnects().front());
    EXPECT_TRUE(events_.Readings().empty());
    EXPECT_EQ(1, flags_.Get(4));
    // Between queries the mutex is free.
    std::unique_lock lock(mutex_, std::defer_lock);
    EXPECT_TRUE(lock.try_lock_for(1500ms));
    lock.unlock();
    Stop();
    EXPECT_TRUE(lock.try_lock());
}

// A link held by an operation of the user (an upload) is not a lost link: the
// slots that find it busy are skipped, nothing is sent and nothing reported.
TEST_F(MonitorWorkerRun, AMutexBusyBeyondASecondSkipsTheSlotWithoutReportingALoss) {
    PtyPeer peer;
    std::atomic<int> lines{0};
    peer.StartResponder([&](const std::string&) {
        ++lines;
        return std::string("1;K;A\r\n");
    });
    ASSERT_TRUE(link_.UseSerialDevice(peer.Device(), 0));
    mutex_.lock();
    flags_.Set(0, 1);
    Start(0.01);
    // Two skipped slots at least: each waited a second for the link.
    std::this_thread::sleep_for(2500ms);
    EXPECT_TRUE(events_.Disconnects().empty());
    EXPECT_TRUE(events_.Readings().empty());
    EXPECT_EQ(0, lines.load());
    EXPECT_TRUE(ui_.Boxes().empty());
    mutex_.unlock();
    // Once free again, the next slot's query goes through.
    ASSERT_TRUE(WaitFor([&] { return !events_.Readings().empty(); }, 3s));
    EXPECT_EQ("1", events_.Readings().front().reading.value);
    Stop();
    EXPECT_TRUE(events_.Disconnects().empty());
}

// Over GPIB a query the instrument never answers ends with a read that times
// out and nothing read: that is no reading, and the worker reports the lost
// connection instead of handing the view an empty value to plot.
TEST_F(MonitorWorkerRun, AGpibQueryLeftUnansweredIsNoReading) {
    CSimulatorProcess sim;
    ASSERT_TRUE(sim.Start(TUNDRIX_SIM_PROGRAM, {"--gpib", "--fault", "no-reply"}, {"gpib"}))
        << sim.Error();
    UseSimulatedGpib(sim, link_);

    const MonitorQuery query = QueryMonitor(link_, mutex_, 0);
    EXPECT_TRUE(query.locked);
    EXPECT_EQ(Link::GpibFailure, query.result);
    EXPECT_FALSE(query.Succeeded());

    flags_.Set(0, 1);
    Start(0.05);
    EXPECT_TRUE(WaitFor([&] { return !events_.Disconnects().empty(); }, 5s));
    Stop();
    EXPECT_TRUE(events_.Readings().empty());
    ::unsetenv("TUNDRIX_SIM_GPIB");
    ::unsetenv("TUNDRIX_GPIB_LIBRARY");
}
