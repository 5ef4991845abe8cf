// Queries a second over LAN against one simulator: through the link, and
// through the plainest socket loop there is (PlainSocketClient), so that what
// the link adds to each exchange shows next to what the loopback round trip
// and the simulator cost anyway. tundrix-speed-guard compares the two.

#include <benchmark/benchmark.h>

#include <string>

#include "bench/BenchSimulator.h"
#include "bench/IdnLoop.h"
#include "bench/PlainSocketClient.h"

namespace {

void LanQueryLink(benchmark::State& state) {
    SimulatedLink setup(PortLAN, {});
    if (!setup.error.empty()) {
        state.SkipWithError(setup.error.c_str());
        return;
    }
    std::string reply;
    for (auto _ : state) {
        if (setup.link.Query("*IDN?", reply) != Link::Success) {
            state.SkipWithError("query failed");
            return;
        }
    }
    state.SetItemsProcessed(state.iterations());
}

void LanQueryPlainSocket(benchmark::State& state) {
    BenchSimulator sim;
    PlainSocketClient client;
    if (!sim.Start() || !client.Connect(sim.TcpPort())) {
        state.SkipWithError(sim.Error().empty() ? "no connection" : sim.Error().c_str());
        return;
    }
    IdnLoop(state, client);
}

} // namespace

BENCHMARK(LanQueryLink)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(LanQueryPlainSocket)->UseRealTime()->Unit(benchmark::kMicrosecond);
