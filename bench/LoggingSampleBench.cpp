// One data logging sample of all sixteen sources, on each transport (GPIB with
// "End GPIB Replies at END" on and off), against the simulator playing a
// heater model with eight inputs (no model of the family has all sixteen).
// Manual time per sample: the shortest interval a run on that transport keeps
// up with is this time rounded up to 0.1 s.

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "base/Event.h"
#include "base/TransactionMutex.h"
#include "bench/BenchSimulator.h"
#include "logging/LoggingState.h"
#include "logging/PollingWorker.h"
#include "logging/WorkerEvents.h"

namespace {

class CountingEvents : public IWorkerEvents {
public:
    void MonitorReadingArrived(int, const MonitorReading&) override {}
    void Disconnected(int) override {}
    void LoggingCommError() override { ++failures; }
    void LogCountChanged() override {}
    int failures = 0;
};

BenchSimulator& Simulator() {
    static BenchSimulator sim;
    if (!sim.IsRunning())
        sim.Start({"--model", "28", "--inputs", "8"});
    return sim;
}

// `gpibEndsReplies`: "End GPIB Replies at END", for GPIB.
void SixteenSourceSample(benchmark::State& state, int portType, bool gpibEndsReplies) {
    BenchSimulator& sim = Simulator();
    CSettingsStore settings("");
    SilentUi ui;
    CCommLink link(settings, ui, ui, ui);
    if (!sim.IsRunning() || !sim.Open(link, portType)) {
        state.SkipWithError(sim.Error().c_str());
        return;
    }
    link.SetGpibEndsReplies(gpibEndsReplies);
    std::atomic<int> active{0};
    CLoggingState logging(active, ui);
    const std::string path = "/tmp/tundrix-bench-" + std::to_string(::getpid()) + ".csv";
    logging.CreateFile(path, nullptr);
    logging.SetSources(LogSourceFlags().set());
    logging.Activate();
    logging.BeginSampling();
    CTransactionMutex mutex;
    CEvent stop, sample;
    CountingEvents events;
    CPollingWorker worker({link, mutex, stop, sample, logging}, events);

    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        worker.TakeSample();
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (events.failures != 0) {
            state.SkipWithError("a sample failed");
            break;
        }
    }
    state.counters["rows"] = logging.Entries();
    std::remove(path.c_str());
}

} // namespace

BENCHMARK_CAPTURE(SixteenSourceSample, lan, static_cast<int>(PortLAN), false)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(200);
BENCHMARK_CAPTURE(SixteenSourceSample, rs232, static_cast<int>(PortRS232), false)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);
BENCHMARK_CAPTURE(SixteenSourceSample, gpib_end_on, static_cast<int>(PortGPIB), true)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);
BENCHMARK_CAPTURE(SixteenSourceSample, gpib_end_off, static_cast<int>(PortGPIB), false)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

BENCHMARK_MAIN();
