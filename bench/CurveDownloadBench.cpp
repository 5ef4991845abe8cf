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
#include <optional>
#include <string>

#include "base/FileChooser.h"
#include "base/TransactionMutex.h"
#include "bench/BenchSimulator.h"
#include "bench/CurveSendTiming.h"
#include "curves/DownloadCurve.h"
#include "curves/GivenCurveHeader.h"
#include "curves/GivenTableNumbers.h"
#include "curves/TransferContext.h"
#include "curves/WriteCrvFile.h"

namespace {

using Clock = std::chrono::steady_clock;

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

// The simulator, its pseudo-terminal paced at the line rate, and a link on `transport`.
struct Setup : SimulatedLink {
    explicit Setup(int transport)
        : SimulatedLink(transport, {"--line-rate", std::to_string(CurveLineRate), "--model", "28"},
                        "Download Complete") {}
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
    const SensorCurve curve = BenchDiodeCurve();
    const double queryCost = transport == PortGPIB ? 1.0 : 0.0;
    double sent = 0.0;
    std::size_t bytes = 0;
    for (auto _ : state) {
        const CurveSendTime time = TimeCurveSend(setup.link, setup.ui, curve);
        if (!time.whole) {
            state.SkipWithError("the curve did not arrive whole");
            return;
        }
        state.SetIterationTime(time.taken - queryCost);
        sent += time.sent;
        bytes = time.bytes;
    }
    state.counters["bytes"] = static_cast<double>(bytes);
    state.counters["sent_ms"] = 1000.0 * sent / static_cast<double>(state.iterations());
    state.counters["line_limit_ms"] = 1000.0 * CurveLineSeconds(bytes);
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
    const std::string text = FormatCrvFile(BenchDiodeCurve());
    std::fwrite(text.data(), 1, text.size(), out);
    std::fclose(out);

    CTransactionMutex mutex;
    CurveFile files(file);
    CGivenCurveHeader header;
    CGivenTableNumbers numbers;
    numbers.userCurve = 2;
    const TransferContext context{setup.link, mutex,  setup.ui, setup.ui, setup.ui,
                                  files,      header, numbers,  {},       {}};
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
