// One GPIB query through the simulated GPIB library, with "End GPIB Replies at
// END" on and off. Off, every reply ends with a read that waits out the
// device's time-out (1 s); on, the piece that comes with END ends it.

#include <benchmark/benchmark.h>

#include <string>

#include "bench/BenchSimulator.h"

namespace {

void GpibQuery(benchmark::State& state, bool endsReplies) {
    SimulatedLink setup(PortGPIB, {});
    if (!setup.error.empty()) {
        state.SkipWithError(setup.error.c_str());
        return;
    }
    setup.link.SetGpibEndsReplies(endsReplies);
    // The first query also opens the device.
    std::string reply;
    if (setup.link.Query("*IDN?", reply) != Link::Success) {
        state.SkipWithError("the device did not answer");
        return;
    }
    for (auto _ : state) {
        if (setup.link.Query("*IDN?", reply) != Link::Success) {
            state.SkipWithError("query failed");
            return;
        }
    }
    state.counters["reply_bytes"] = static_cast<double>(reply.size());
}

} // namespace

BENCHMARK_CAPTURE(GpibQuery, end_on, true)
    ->Iterations(40)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(GpibQuery, end_off, false)
    ->Iterations(3)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
