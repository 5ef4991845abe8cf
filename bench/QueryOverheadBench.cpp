// The link's own cost per RS232 query, beyond the fixed 200 ms wait that paces
// every reply: write, the simulator's answer over a real pseudo-terminal, the
// read, and whatever the link adds. Reported as manual time per query.

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "bench/BenchSimulator.h"

namespace {

void QueryOverhead(benchmark::State& state, const char* query) {
    SimulatedLink setup(PortRS232, {});
    if (!setup.error.empty()) {
        state.SkipWithError(setup.error.c_str());
        return;
    }
    const std::string command = query;
    std::string reply;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        LinkResult result = setup.link.Transact(command, &reply);
        auto took =
            std::chrono::steady_clock::now() - start - setup.link.Timeouts().serialReplyWait;
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
