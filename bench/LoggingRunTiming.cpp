#include "bench/LoggingRunTiming.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <unistd.h>

#include "base/Event.h"
#include "base/TransactionMutex.h"
#include "base/WorkerThread.h"
#include "bench/SilentUi.h"
#include "comm/CommLink.h"
#include "logging/LogFormat.h"
#include "logging/LoggingState.h"
#include "logging/LoggingTicker.h"
#include "logging/PollingWorker.h"
#include "logging/WorkerEvents.h"

namespace {

using Clock = std::chrono::steady_clock;

// The view's side of the worker's messages: the time the last row was counted.
// Handled on the worker's thread; the front ends hand them to their main
// thread, a hop of microseconds that does not change the figure.
class RowClock : public IWorkerEvents {
public:
    RowClock(const CLoggingState& state, int rows) : state_(state), rows_(rows) {}

    void MonitorReadingArrived(int, const MonitorReading&) override {}
    void Disconnected(int) override {}
    void LoggingCommError() override {
        failed = true;
        done.Set();
    }
    void LogCountChanged() override {
        if (state_.Entries() == rows_) {
            lastRow = Clock::now();
            done.Set();
        }
    }

    CEvent done;
    std::atomic<bool> failed{false};
    Clock::time_point lastRow;

private:
    const CLoggingState& state_;
    int rows_;
};

} // namespace

LoggingRunTime TimeLoggingRun(CCommLink& link, int rows, double interval) {
    LoggingRunTime time;
    SilentUi ui;
    std::atomic<int> active{0};
    CLoggingState state(active, ui);
    const std::string path = "/tmp/tundrix-speed-guard-" + std::to_string(::getpid()) + ".csv";
    if (!state.CreateFile(path, &time.error))
        return time;
    state.SetSources(LogSourceFlags().set());
    state.Activate();

    CTransactionMutex mutex;
    CEvent stop;
    CEvent sample;
    RowClock events(state, rows);
    CWorkerThread worker;
    worker.Start([&] { CPollingWorker({link, mutex, stop, sample, state}, events).Run(); });
    CLoggingTicker ticker(sample);

    const Clock::time_point start = Clock::now();
    state.BeginSampling();
    ticker.SetLoggingTimer(LoggingTimerPeriod(interval));
    const auto expected = std::chrono::duration<double>(2.0 * rows * interval + 5.0);
    const bool finished = events.done.Wait(std::chrono::ceil<std::chrono::milliseconds>(expected));
    ticker.KillLoggingTimer();
    state.End(LocalNow());
    stop.Set();
    worker.Stop(std::chrono::seconds(30));
    std::remove(path.c_str());

    time.rows = state.Entries();
    if (!finished || events.failed)
        time.error = events.failed ? "a sample failed" : "the rows did not come in time";
    else
        time.seconds = std::chrono::duration<double>(events.lastRow - start).count();
    return time;
}
