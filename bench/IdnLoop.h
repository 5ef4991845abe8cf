#pragma once

#include <benchmark/benchmark.h>

#include <string>

#include "bench/PlainSocketClient.h"

// "*IDN?" through `client` for as long as the benchmark runs.
inline void IdnLoop(benchmark::State& state, PlainSocketClient& client) {
    std::string reply;
    for (auto _ : state) {
        if (!client.Query("*IDN?", reply)) {
            state.SkipWithError("query failed");
            return;
        }
    }
    state.SetItemsProcessed(state.iterations());
}
