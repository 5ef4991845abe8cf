#include "cli/MonitorCommands.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>

#include "app/CommandRules.h"
#include "app/VantorCore.h"
#include "cli/ExitStatus.h"
#include "cli/NumberOptions.h"
#include "comm/CommandLine.h"
#include "logging/LogFormat.h"
#include "logging/MonitorTable.h"
#include "logging/MonitorUpdate.h"
#include "logging/MonitorWorker.h"
#include "logging/StripChartScale.h"

namespace {

void PrintField(std::string_view text, char after) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc(after, stdout);
}

} // namespace

std::string CheckMonitorOptions(MonitorOptions& options) {
    std::string refusal = ParseCountOption("--count", options.countText, options.count);
    if (refusal.empty() && options.intervalText) {
        double interval = 0.0;
        refusal = ParseSecondsOption("--interval", *options.intervalText, MinLoggingInterval,
                                     MaxLoggingInterval, interval);
        options.interval = interval;
    }
    return refusal;
}

int RunMonitor(CVantorCore& core, const MonitorOptions& options) {
    const int index = MonitorIndexByName(options.name);
    if (index < 0) {
        std::fprintf(stderr,
                     "tundrix-cli: monitor: no monitor \"%s\" (A..H, Heater1, Heater2, Analog1, "
                     "Analog2)\n",
                     options.name.c_str());
        return ExitUsage;
    }
    const MonitorInfo& monitor = MonitorTable[static_cast<std::size_t>(index)];
    if (!core.Identify()) {
        std::fprintf(stderr, "tundrix-cli: No Device\n");
        return ExitFailed;
    }
    // Offered as the View menu offers it, with no monitor open yet.
    const CMonitorFlags closed;
    if (!IsCommandEnabled(MonitorCommand(index), CommandContext{core.Features(), closed})) {
        if (!core.Features().IsModelKnown())
            return Usage("monitor", "the model of this instrument is not recognised (model code " +
                                        std::to_string(core.ModelCode()) + ")");
        return Usage("monitor", "this instrument has no " + std::string(monitor.title));
    }
    double interval = 0.0;
    if (options.interval) {
        interval = *options.interval;
    } else {
        core.LoadLoggingInterval();
        interval = core.LoggingInterval();
    }
    const auto wait = std::chrono::milliseconds(
        static_cast<long long>(std::min(interval, MaxMonitorInterval) * 1000.0));

    for (int taken = 0; taken < options.count; ++taken) {
        // Nothing sets the stop event here: this is a bounded wait between readings.
        if (taken > 0)
            core.StopEvent().Wait(wait);
        const MonitorQuery query = QueryMonitor(core.Link(), core.TransactionMutex(), index);
        if (!query.locked) {
            ReportLinkBusy();
            return ExitFailed;
        }
        if (!query.Succeeded() && query.result < 0) {
            std::fprintf(stderr, "tundrix-cli: monitor \"%.*s\" failed: LinkResult %d\n",
                         static_cast<int>(monitor.query.size()), monitor.query.data(),
                         query.result);
            return ExitFailed;
        }
        if (!query.Succeeded()) {
            std::fprintf(stderr, "tundrix-cli: monitor \"%.*s\" got no reply\n",
                         static_cast<int>(monitor.query.size()), monitor.query.data());
            return ExitFailed;
        }
        PrintField(CStripChartScale::TimeLabel(std::time(nullptr)), '\t');
        PrintField(WithoutLineEnd(query.reading.value), '\t');
        PrintField(WithoutLineEnd(query.reading.unit), '\t');
        PrintField(WithoutLineEnd(query.reading.name), '\n');
        std::fflush(stdout);
    }
    return 0;
}
