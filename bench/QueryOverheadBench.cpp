// The link's own cost per RS232 query, beyond the fixed 200 ms wait that paces
// every reply: write, the simulator's answer over a real pseudo-terminal, the
// read, and whatever the link adds. Reported as manual time per query.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>

#include "base/SettingsStore.h"
#include "base/SimulatorProcess.h"
#include "base/UserInterface.h"
#include "bench/SilentUi.h"
#include "comm/CommLink.h"

namespace {

void QueryOverhead(benchmark::State& state, const char* query) {
    CSimulatorProcess sim;
    if (!sim.Start(TUNDRIX_SIM_PROGRAM, {"--pty"})) {
        state.SkipWithError(sim.Error().c_str());
        return;
    }
    CSettingsStore settings("");
    SilentUi ui;
    CCommLink link(settings, ui, ui, ui);
    if (!link.UseSerialDevice(sim.Address("pty"), 0)) {
        state.SkipWithError("the simulator's port did not open");
        return;
    }
    const std::string command = query;
    std::string reply;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        LinkResult result = link.Transact(command, &reply);
        auto took = std::chrono::steady_clock::now() - start - std::chrono::milliseconds(200);
        if (result != Link::Success) {
            state.SkipWithError("query failed");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(took).count());
    }
    state.counters["reply_bytes"] = static_cast<double>(reply.size());
}

} // namespace

BENCHMARK_CAPTURE(QueryOverhead, idn, "*IDN?")
    ->UseManualTime()
    ->Iterations(40)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(QueryOverhead, input_reading, "INP A:TEMP?;UNIT?;NAME?;")
    ->UseManualTime()
    ->Iterations(40)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
