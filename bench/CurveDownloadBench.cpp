// A 200-entry curve download against the simulator over each transport, the
// simulator pacing its pseudo-terminal at the real RS232 line rate (115200
// baud, 10 bits a byte), next to the time the line needs for the same bytes.
//
// send: "CALC %d", the four header lines, 200 entries and ";" as the download
// sends them, timed until the instrument has taken every line (it answers a
// query sent after them; the GPIB query's fixed 1 s read time-out is taken off).
// operation: the whole download as the menu runs it, the eight "SENSORIX?"
// queries and "*IDN?" included, up to "Download Complete".

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "base/FileChooser.h"
#include "base/SettingsStore.h"
#include "base/SimulatorProcess.h"
#include "base/TransactionMutex.h"
#include "base/UserInterface.h"
#include "bench/SilentUi.h"
#include "comm/CommLink.h"
#include "comm/MyIPAddr.h"
#include "curves/DownloadCurve.h"
#include "curves/GivenCurveHeader.h"
#include "curves/GivenTableNumbers.h"
#include "curves/TransferContext.h"
#include "curves/WriteCrvFile.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int LineRate = 115200;
constexpr int Entries = 200;

class CurveFile : public IFileChooser {
public:
    explicit CurveFile(std::string name) : name_(std::move(name)) {}
    std::optional<std::string> ChooseOpenFile(std::string_view, std::string_view) override {
        return name_;
    }
    std::optional<std::string> ChooseSaveFile(std::string_view, std::string_view) override {
        return std::nullopt;
    }

private:
    std::string name_;
};

SensorCurve DiodeCurve() {
    SensorCurve curve;
    curve.name = "Bench diode";
    curve.type = "Diode";
    curve.unitText = "Volts";
    curve.count = Entries;
    for (int i = 0; i < Entries; ++i) {
        curve.entries[static_cast<std::size_t>(i)].value = 0.09f + 0.008f * static_cast<float>(i);
        curve.entries[static_cast<std::size_t>(i)].temperature =
            475.0f - 2.35f * static_cast<float>(i);
    }
    return curve;
}

// The simulator and a link to it on one transport.
struct Setup {
    CSimulatorProcess sim;
    CSettingsStore settings{""};
    SilentUi ui{"Download Complete"};
    std::unique_ptr<CCommLink> link;
    std::string error;

    explicit Setup(int transport) {
        if (!sim.Start(TUNDRIX_SIM_PROGRAM,
                       {"--pty", "--line-rate", std::to_string(LineRate), "--tcp", "0", "--gpib",
                        "--model", "28"},
                       {"pty", "tcp", "gpib"})) {
            error = sim.Error();
            return;
        }
        ::setenv("TUNDRIX_GPIB_LIBRARY", TUNDRIX_GPIB_SIM_LIBRARY, 1);
        ::setenv("TUNDRIX_SIM_GPIB", sim.Address("gpib").c_str(), 1);
        link = std::make_unique<CCommLink>(settings, ui, ui, ui);
        if (transport == PortRS232) {
            if (!link->UseSerialDevice(sim.Address("pty"), 0))
                error = "the simulator's port did not open";
        } else if (transport == PortGPIB) {
            link->UseGpibAddress(12);
        } else {
            const std::string tcp = sim.Address("tcp");
            const std::size_t colon = tcp.rfind(':');
            link->UseLanAddress(*MyIPAddr::Parse(tcp.substr(0, colon)),
                                std::stoi(tcp.substr(colon + 1)));
            if (link->ConnectLAN() != 1)
                error = "no LAN connection";
        }
    }
};

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

void CurveSend(benchmark::State& state) {
    const int transport = static_cast<int>(state.range(0));
    Setup setup(transport);
    if (!setup.error.empty()) {
        state.SkipWithError(setup.error.c_str());
        return;
    }
    const SensorCurve curve = DiodeCurve();
    SilentUi ui{"Download Complete"};
    const std::string sync = "SENSORIX 61:NENTRY?";
    const double queryCost = transport == PortGPIB ? 1.0 : 0.0;
    double sent = 0.0;
    std::size_t bytes = 0;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        const CurveSent result = SendCurve(*setup.link, ui, ui, 1, curve);
        const Clock::time_point done = Clock::now();
        std::string reply;
        if (result.errors || setup.link->Transact(sync, &reply) != Link::Success ||
            reply.rfind("200", 0) != 0) {
            state.SkipWithError("the curve did not arrive whole");
            return;
        }
        state.SetIterationTime(Seconds(Clock::now() - start) - queryCost);
        sent += Seconds(done - start);
        bytes = result.bytes;
    }
    state.counters["bytes"] = static_cast<double>(bytes);
    state.counters["sent_ms"] = 1000.0 * sent / static_cast<double>(state.iterations());
    state.counters["line_limit_ms"] = 1000.0 * static_cast<double>(bytes) * 10.0 / LineRate;
}

void CurveDownloadOperation(benchmark::State& state) {
    const int transport = static_cast<int>(state.range(0));
    Setup setup(transport);
    if (!setup.error.empty()) {
        state.SkipWithError(setup.error.c_str());
        return;
    }
    const std::string file = "/tmp/tundrix-bench-curve.crv";
    std::FILE* out = std::fopen(file.c_str(), "w");
    if (out == nullptr) {
        state.SkipWithError("cannot write the curve file");
        return;
    }
    const std::string text = FormatCrvFile(DiodeCurve());
    std::fwrite(text.data(), 1, text.size(), out);
    std::fclose(out);

    CTransactionMutex mutex;
    CurveFile files(file);
    CGivenCurveHeader header;
    CGivenTableNumbers numbers;
    numbers.userCurve = 2;
    const TransferContext context{*setup.link, mutex,  setup.ui, setup.ui, setup.ui,
                                  files,       header, numbers,  {},       {}};
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        if (DownloadCurve(context) != TransferOutcome::Done) {
            state.SkipWithError("the download failed");
            return;
        }
        state.SetIterationTime(Seconds(Clock::now() - start));
    }
    std::remove(file.c_str());
}

void Transports(benchmark::internal::Benchmark* b) {
    b->ArgName("transport")->Arg(PortRS232)->Arg(PortLAN)->Arg(PortGPIB);
}

} // namespace

BENCHMARK(CurveSend)
    ->Apply(Transports)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(CurveDownloadOperation)
    ->Apply(Transports)
    ->UseManualTime()
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond);
