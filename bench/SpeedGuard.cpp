// tundrix-speed-guard: the link's speed against yardsticks measured in the same
// run, so that a slower machine moves both sides of each ratio together and
// only a slower link fails. One line per figure; the exit status is 1 when a
// figure is past its limit, 2 when one could not be measured.
//
// - RS232: what a query costs beyond the fixed reply wait that paces every
//   reply, against the simulator on a pseudo-terminal (at most 5 ms a query).
// - LAN: queries a second through the link against a plain socket loop on the
//   same simulator, measured in turns (at least 0.8 times as many).
// - A 200-entry curve download over RS232 against the time the line itself
//   needs at 115200 baud (at most 1.2 times as long).
// - Logging all sixteen sources every 0.1 s over LAN: the run from the moment
//   its timer is set to its last row against the rows times the interval (at
//   most 1.05 times as long).

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "base/DecimalText.h"
#include "bench/BenchSimulator.h"
#include "bench/CurveSendTiming.h"
#include "bench/LoggingRunTiming.h"
#include "bench/PlainSocketClient.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int SerialQueries = 10;
constexpr double SerialCostLimitMs = 5.0;
constexpr int LanTurns = 20;
constexpr int LanQueriesATurn = 100;
constexpr double LanRateLimit = 0.8;
constexpr int CurveSends = 2;
constexpr double CurveLimit = 1.2;
constexpr int LoggingRows = 30;
constexpr double LoggingInterval = 0.1;
constexpr double LoggingLimit = 1.05;

struct Figure {
    std::string what;
    std::string measured; // the figures behind the ratio
    double ratio = 0.0;
    double limit = 0.0;
    bool atLeast = false; // the ratio must reach the limit, not stay within it
    std::string error;    // the figure could not be measured

    bool Ok() const { return error.empty() && (atLeast ? ratio >= limit : ratio <= limit); }
};

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// The value that `fraction` of `values` do not exceed.
double Quantile(std::vector<double> values, double fraction) {
    const auto at = values.begin() +
                    static_cast<std::ptrdiff_t>(fraction * static_cast<double>(values.size() - 1));
    std::nth_element(values.begin(), at, values.end());
    return *at;
}

Figure SerialQueryCost() {
    Figure figure{"RS232 query, cost beyond the reply wait", {}, 0.0, 1.0, false, {}};
    SimulatedLink setup(PortRS232, {});
    std::string reply;
    if (setup.error.empty() && setup.link.Query("*IDN?", reply) != Link::Success)
        setup.error = "the simulator did not answer";
    if (!setup.error.empty()) {
        figure.error = setup.error;
        return figure;
    }
    // The median query: a moment when the machine was busy elsewhere does not count.
    std::vector<double> costs;
    for (int i = 0; i < SerialQueries; ++i) {
        const Clock::time_point start = Clock::now();
        if (setup.link.Query("*IDN?", reply) != Link::Success) {
            figure.error = "a query failed";
            return figure;
        }
        costs.push_back(Seconds(Clock::now() - start - setup.link.Timeouts().serialReplyWait));
    }
    const double costMs = 1000.0 * Quantile(costs, 0.5);
    figure.measured = CFormat("%.2f ms a query vs %.0f ms", costMs, SerialCostLimitMs);
    figure.ratio = costMs / SerialCostLimitMs;
    return figure;
}

Figure LanQueryRate() {
    Figure figure{"LAN queries a second, link vs plain socket", {}, 0.0, LanRateLimit, true, {}};
    SimulatedLink setup(PortLAN, {});
    PlainSocketClient client;
    if (setup.error.empty() && !client.Connect(setup.sim.TcpPort()))
        setup.error = "the plain socket did not connect";
    if (!setup.error.empty()) {
        figure.error = setup.error;
        return figure;
    }
    // Each query timed on its own, in short turns of each side after the
    // other; a side's rate comes from its first quartile of query times. A
    // query the machine delayed for other work (on two busy cores that is many
    // of them) then moves neither figure, and both sides met the same moments.
    std::vector<double> linkQueries;
    std::vector<double> socketQueries;
    std::string reply;
    for (int turn = 0; turn <= LanTurns; ++turn) {
        // The first turn only warms up.
        const bool kept = turn > 0;
        for (int i = 0; i < LanQueriesATurn; ++i) {
            const Clock::time_point start = Clock::now();
            if (setup.link.Query("*IDN?", reply) != Link::Success) {
                figure.error = "a query through the link failed";
                return figure;
            }
            if (kept)
                linkQueries.push_back(Seconds(Clock::now() - start));
        }
        for (int i = 0; i < LanQueriesATurn; ++i) {
            const Clock::time_point start = Clock::now();
            if (!client.Query("*IDN?", reply)) {
                figure.error = "a query on the plain socket failed";
                return figure;
            }
            if (kept)
                socketQueries.push_back(Seconds(Clock::now() - start));
        }
    }
    const double linkRate = 1.0 / Quantile(linkQueries, 0.25);
    const double socketRate = 1.0 / Quantile(socketQueries, 0.25);
    figure.measured = CFormat("%.0f/s vs %.0f/s", linkRate, socketRate);
    figure.ratio = linkRate / socketRate;
    return figure;
}

Figure CurveDownload() {
    Figure figure{"RS232 curve download, 200 entries, 115200 baud", {}, 0.0, CurveLimit, false, {}};
    SimulatedLink setup(PortRS232, {"--line-rate", std::to_string(CurveLineRate)});
    if (!setup.error.empty()) {
        figure.error = setup.error;
        return figure;
    }
    const SensorCurve curve = BenchDiodeCurve();
    double taken = 0.0;
    double line = 0.0;
    for (int i = 0; i < CurveSends; ++i) {
        const CurveSendTime time = TimeCurveSend(setup.link, setup.ui, curve);
        if (!time.whole) {
            figure.error = "the curve did not arrive whole";
            return figure;
        }
        taken += time.taken;
        line += CurveLineSeconds(time.bytes);
    }
    figure.measured = CFormat("%.3f s vs line %.3f s", taken / CurveSends, line / CurveSends);
    figure.ratio = taken / line;
    return figure;
}

Figure LoggingRun() {
    Figure figure{"LAN logging, 16 sources every 0.1 s", {}, 0.0, LoggingLimit, false, {}};
    SimulatedLink setup(PortLAN, {"--model", "28", "--inputs", "8"});
    if (!setup.error.empty()) {
        figure.error = setup.error;
        return figure;
    }
    const LoggingRunTime time = TimeLoggingRun(setup.link, LoggingRows, LoggingInterval);
    if (!time.error.empty()) {
        figure.error = time.error;
        return figure;
    }
    const double ideal = LoggingRows * LoggingInterval;
    figure.measured =
        std::to_string(time.rows) + " rows in " + CFormat("%.3f s vs %.3f s", time.seconds, ideal);
    figure.ratio = time.seconds / ideal;
    return figure;
}

void Print(const Figure& figure) {
    const std::string limit =
        std::string(figure.atLeast ? ">= " : "<= ") + CFormat("%.2f", figure.limit);
    if (!figure.error.empty()) {
        std::printf("%-47s not measured: %s\n", figure.what.c_str(), figure.error.c_str());
    } else {
        std::printf("%-47s %-30s %-9s %6.3f  %s\n", figure.what.c_str(), figure.measured.c_str(),
                    limit.c_str(), figure.ratio, figure.Ok() ? "ok" : "TOO SLOW");
    }
    std::fflush(stdout);
}

} // namespace

int main() {
    std::printf("%-47s %-30s %-9s %6s  %s\n", "figure", "measured", "limit", "ratio", "verdict");
    int status = 0;
    for (Figure (*measure)() : {SerialQueryCost, LanQueryRate, CurveDownload, LoggingRun}) {
        const Figure figure = measure();
        Print(figure);
        if (!figure.error.empty())
            status = 2;
        else if (!figure.Ok() && status == 0)
            status = 1;
    }
    return status;
}
