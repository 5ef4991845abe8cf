#include "cli/LogCommands.h"

#include <cstdio>
#include <functional>
#include <unistd.h>

#include "app/GivenLoggingRun.h"
#include "app/VantorCore.h"
#include "cli/ExitStatus.h"
#include "cli/NumberOptions.h"
#include "cli/StopSignals.h"
#include "logging/LogFormat.h"
#include "logging/LoggingUi.h"

namespace {

// The progress window: on a terminal the number of entries counts up on one line.
class CCliProgress : public IDataLoggingProgress {
public:
    explicit CCliProgress(std::function<void()> stop)
        : stop_(std::move(stop)), shown_(::isatty(STDERR_FILENO) != 0) {}
    ~CCliProgress() override { EndLine(); }
    void SetFields(const DataLoggingFields&) override {}
    void ShowProgress() override {}
    void SetEntries(std::string_view entries) override {
        if (!shown_)
            return;
        std::fprintf(stderr, "\rNumber of entries : %.*s", static_cast<int>(entries.size()),
                     entries.data());
        std::fflush(stderr);
        lineOpen_ = true;
    }
    void PressStop() override {
        EndLine();
        stop_();
    }

private:
    void EndLine() {
        if (lineOpen_)
            std::fputc('\n', stderr);
        lineOpen_ = false;
    }

    std::function<void()> stop_;
    bool shown_;
    bool lineOpen_ = false;
};

} // namespace

std::string CheckLogOptions(LogOptions& options) {
    if (!options.countText && !options.durationText)
        return "give --count N or --duration S";
    std::string refusal = ParseSecondsOption("--interval", options.intervalText, MinLoggingInterval,
                                             MaxLoggingInterval, options.interval);
    if (refusal.empty() && options.countText) {
        int count = 0;
        refusal = ParseCountOption("--count", *options.countText, count);
        options.count = count;
    }
    if (refusal.empty() && options.durationText) {
        double duration = 0.0;
        refusal = ParseSecondsOption("--duration", *options.durationText, MinLoggingInterval,
                                     MaxLogDuration, duration);
        options.duration = duration;
    }
    return refusal;
}

int RunLog(CVantorCore& core, const LogOptions& options) {
    const double interval = options.interval;
    if (core.Link().GetPortType() == PortLAN && core.Link().ConnectLAN() == 0)
        return ExitFailed;
    if (!core.Identify()) {
        std::fprintf(stderr, "tundrix-cli: No Device\n");
        return ExitFailed;
    }
    std::string error;
    const auto mask = ParseLogSources(options.sources, SourceEnableFlags(core.Features()), error);
    if (!mask)
        return Usage("log", "--sources: " + error);

    CStopSignals signals;
    GivenLoggingOptions given{
        *mask, interval, options.output, options.count, options.duration, options.preciseTime, {}};
    CCliProgress progress([&core] { core.LoggingRun().Stop(); });
    CGivenLoggingRun run(core, std::move(given), progress);
    // A start that failed has said why (boxes on standard error).
    const bool started = run.Start();
    while (run.IsActive()) {
        if (run.Step(std::chrono::milliseconds(200), signals.Fd())) {
            // Ctrl-C: the run ends as its Stop button ends it.
            signals.Consume();
            run.Stop();
            break;
        }
    }
    run.Finish();

    if (!started || run.Failed())
        return ExitFailed;
    std::printf("Entries: %d\n", run.Entries());
    return 0;
}
