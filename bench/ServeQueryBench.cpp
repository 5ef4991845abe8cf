// What sharing the instrument costs: queries over LAN through the instrument
// server against the same queries straight through the link (LanQueryLink),
// and the queries a second of 1, 2, 4 and 8 clients at once, each reply
// checked against its own query (counters "misrouted" and "lost").

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/TransactionMutex.h"
#include "bench/BenchSimulator.h"
#include "bench/IdnLoop.h"
#include "bench/PlainSocketClient.h"
#include "server/InstrumentServer.h"

namespace {

class QuietEvents : public IServerEvents {
public:
    void ServerLog(std::string_view) override {}
    void ClientsChanged(int) override {}
};

// The simulator, the link to it over LAN, and a server on the link.
struct SharedSimulator {
    SharedSimulator() : setup(PortLAN, {}) {
        if (!setup.error.empty())
            return;
        ServeOptions options;
        options.port = 0;
        server = std::make_unique<CInstrumentServer>(
            SharedInstrument{setup.link, mutex, [this] { return setup.link.Reopen(); }}, options,
            events);
        if (!server->Start(error))
            server.reset();
    }
    // Each client names an input or a loop of its own, so that a reply that
    // went to the wrong client shows.
    bool NameClients(int clients) {
        for (int i = 0; i < clients; ++i)
            if (setup.link.Transact(Target(i) + ":NAME client" + std::to_string(i), nullptr) !=
                Link::Success)
                return false;
        return true;
    }
    static std::string Target(int client) {
        return client < 4 ? std::string("INP ") + static_cast<char>('A' + client)
                          : "LOOP " + std::to_string(client - 3);
    }

    SimulatedLink setup;
    CTransactionMutex mutex;
    QuietEvents events;
    std::unique_ptr<CInstrumentServer> server;
    std::string error;
};

void ServedLanQuery(benchmark::State& state) {
    SharedSimulator shared;
    PlainSocketClient client;
    if (!shared.server || !client.Connect(shared.server->Port())) {
        state.SkipWithError(shared.setup.error.empty() ? "no server" : shared.setup.error.c_str());
        return;
    }
    IdnLoop(state, client);
}

// Each client asks its own name twice, then "*IDN?", `perClient` times in all.
void ServedClients(benchmark::State& state) {
    const int clients = static_cast<int>(state.range(0));
    const int perClient = static_cast<int>(state.range(1));
    SharedSimulator shared;
    if (!shared.server || !shared.NameClients(clients)) {
        state.SkipWithError("no server");
        return;
    }
    std::atomic<long> misrouted{0}, lost{0};
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        std::vector<std::thread> threads;
        for (int i = 0; i < clients; ++i)
            threads.emplace_back([&, i] {
                PlainSocketClient client;
                if (!client.Connect(shared.server->Port())) {
                    lost += perClient;
                    return;
                }
                const std::string name = SharedSimulator::Target(i) + ":NAME?";
                const std::string own = "client" + std::to_string(i) + "\r\n";
                std::string reply;
                for (int q = 0; q < perClient; ++q) {
                    const bool idn = q % 3 == 2;
                    if (!client.Query(idn ? "*IDN?" : name, reply)) {
                        lost += perClient - q;
                        return;
                    }
                    if (idn ? !reply.starts_with("ARKTRONIC,") : reply != own)
                        ++misrouted;
                }
            });
        for (auto& thread : threads)
            thread.join();
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    state.SetItemsProcessed(state.iterations() * clients * perClient);
    state.counters["misrouted"] = static_cast<double>(misrouted);
    state.counters["lost"] = static_cast<double>(lost);
}

} // namespace

BENCHMARK(ServedLanQuery)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(ServedClients)
    ->Args({1, 2000})
    ->Args({2, 2000})
    ->Args({4, 2000})
    ->Args({8, 2000})
    ->Args({8, 10000})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
