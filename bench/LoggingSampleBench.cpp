// One data logging sample of all sixteen sources, on each transport, against
// the simulator playing a heater model with eight inputs (no model of the
// family has all sixteen). Manual time per sample: the shortest interval a
// run on that transport keeps up with is this time rounded up to 0.1 s.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "base/Event.h"
#include "base/SettingsStore.h"
#include "base/SimulatorProcess.h"
#include "base/TransactionMutex.h"
#include "base/UserInterface.h"
#include "bench/SilentUi.h"
#include "comm/CommLink.h"
#include "comm/MyIPAddr.h"
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

CSimulatorProcess& Simulator() {
    static CSimulatorProcess sim;
    if (!sim.IsRunning() &&
        sim.Start(TUNDRIX_SIM_PROGRAM,
                  {"--pty", "--tcp", "0", "--gpib", "--model", "28", "--inputs", "8"},
                  {"pty", "tcp", "gpib"})) {
        ::setenv("TUNDRIX_SIM_GPIB", sim.Address("gpib").c_str(), 1);
        ::setenv("TUNDRIX_GPIB_LIBRARY", TUNDRIX_GPIB_SIM_LIBRARY, 1);
    }
    return sim;
}

bool Open(CCommLink& link, CSettingsStore& settings, int portType) {
    CSimulatorProcess& sim = Simulator();
    switch (portType) {
    case PortRS232:
        return link.UseSerialDevice(sim.Address("pty"), 0);
    case PortGPIB:
        settings.WriteInt("CommunicationSetup", "PortType", PortGPIB);
        settings.WriteInt("CommunicationSetup", "GPIBAddr", 12);
        link.LoadSettings();
        return true;
    default: {
        const std::string tcp = sim.Address("tcp");
        link.UseLanAddress(*MyIPAddr::Parse("127.0.0.1"),
                           std::atoi(tcp.c_str() + tcp.rfind(':') + 1));
        return link.ConnectLAN() == 1;
    }
    }
}

void SixteenSourceSample(benchmark::State& state, int portType) {
    if (!Simulator().IsRunning()) {
        state.SkipWithError(Simulator().Error().c_str());
        return;
    }
    CSettingsStore settings("");
    SilentUi ui;
    CCommLink link(settings, ui, ui, ui);
    if (!Open(link, settings, portType)) {
        state.SkipWithError("the transport did not open");
        return;
    }
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

BENCHMARK_CAPTURE(SixteenSourceSample, lan, static_cast<int>(PortLAN))
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(200);
BENCHMARK_CAPTURE(SixteenSourceSample, rs232, static_cast<int>(PortRS232))
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);
BENCHMARK_CAPTURE(SixteenSourceSample, gpib, static_cast<int>(PortGPIB))
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

BENCHMARK_MAIN();
