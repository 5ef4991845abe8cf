#include "cli/LogCommands.h"

#include <csignal>
#include <cstdio>
#include <pthread.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include "app/VantorCore.h"
#include "base/FileChooser.h"
#include "base/EventLoop.h"
#include "cli/ExitStatus.h"
#include "cli/NumberOptions.h"
#include "logging/LogFormat.h"
#include "logging/LoggingTicker.h"
#include "logging/WorkerEvents.h"

namespace {

// The names of --sources as bits of the setup dialog's mask; "all" is every
// source the instrument offers, as "Select All" ticks them.
std::optional<std::uint16_t> ParseSources(const std::string& list,
                                          const std::array<int, LogSourceCount>& enabled,
                                          std::string& error) {
    std::uint16_t mask = 0;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = list.find(',', start);
        const std::string name = list.substr(start, comma - start);
        if (name == "all" || name == "ALL") {
            for (int i = 0; i < LogSourceCount; ++i)
                if (enabled[static_cast<std::size_t>(i)] != 0)
                    mask = static_cast<std::uint16_t>(mask | (1u << i));
        } else if (auto index = FindLogSource(name)) {
            if (enabled[static_cast<std::size_t>(*index)] == 0) {
                error = "this instrument has no " +
                        std::string(LogSources[static_cast<std::size_t>(*index)].checkText);
                return std::nullopt;
            }
            mask = static_cast<std::uint16_t>(mask | (1u << *index));
        } else {
            error = "unknown source \"" + name +
                    "\" (A..H, Heater1, Heater2, Analog1, Analog2, Loop1..Loop4, all)";
            return std::nullopt;
        }
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    if (mask == 0)
        error = "no source this instrument offers was named";
    return mask == 0 ? std::nullopt : std::optional(mask);
}

// The setup dialog and the save dialog, answered with the command's options.
class CGivenSetup : public IDataLogSetup, public IFileChooser {
public:
    CGivenSetup(std::uint16_t mask, double interval, std::string output)
        : mask_(mask), interval_(interval), output_(std::move(output)) {}
    bool RunDataLogSetup(DataLogSetupData& data) override {
        data.interval = interval_;
        data.mask = mask_;
        return true;
    }
    std::optional<std::string> ChooseOpenFile(std::string_view, std::string_view) override {
        return std::nullopt;
    }
    std::optional<std::string> ChooseSaveFile(std::string_view, std::string_view) override {
        return output_;
    }

private:
    std::uint16_t mask_;
    double interval_;
    std::string output_;
};

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

// The view's handling of the workers' messages, run on the main thread while
// the worker waits.
class CCliLogEvents : public IWorkerEvents {
public:
    CCliLogEvents(CVantorCore& core, CEventLoop& loop, std::optional<int> count)
        : core_(core), loop_(loop), count_(count) {}

    void MonitorReadingArrived(int, const MonitorReading&) override {}
    void Disconnected(int status) override {
        loop_.Call(&core_.StopEvent(), [this, status] { core_.OnDisconnected(status); });
    }
    void LoggingCommError() override {
        loop_.Call(&core_.StopEvent(), [this] {
            failed_ = true;
            core_.LoggingRun().OnCommError();
        });
    }
    void LogCountChanged() override {
        loop_.Call(&core_.StopEvent(), [this] {
            core_.LoggingRun().OnLogCount();
            // Stopped here, while the worker waits, no further sample can slip in.
            if (count_ && core_.LoggingRun().State().Entries() >= *count_)
                core_.LoggingRun().Stop();
        });
    }
    bool Failed() const { return failed_; }

private:
    CVantorCore& core_;
    CEventLoop& loop_;
    std::optional<int> count_;
    bool failed_ = false;
};

// SIGINT and SIGTERM as a descriptor the main loop watches; blocked in every
// thread started after this, so none of them is killed by the signal.
class CStopSignals {
public:
    CStopSignals() {
        sigemptyset(&set_);
        sigaddset(&set_, SIGINT);
        sigaddset(&set_, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &set_, &previous_);
        fd_ = ::signalfd(-1, &set_, SFD_CLOEXEC | SFD_NONBLOCK);
    }
    ~CStopSignals() {
        if (fd_ >= 0)
            ::close(fd_);
        pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    }
    int Fd() const { return fd_; }
    // Takes the signal that came, so that it is not delivered when the mask is restored.
    void Consume() {
        signalfd_siginfo info{};
        while (::read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
        }
    }

private:
    sigset_t set_{};
    sigset_t previous_{};
    int fd_ = -1;
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
    const auto mask = ParseSources(options.sources, SourceEnableFlags(core.Features()), error);
    if (!mask)
        return Usage("log", "--sources: " + error);

    CStopSignals signals;
    CEventLoop loop;
    CCliLogEvents events(core, loop, options.count);
    CGivenSetup given(*mask, interval, options.output);
    CCliProgress progress([&core] { core.LoggingRun().Stop(); });
    CLoggingTicker ticker(core.SampleEvent());
    const LoggingUi ui{given, progress, given, ticker};
    CLoggingRun& run = core.LoggingRun();
    run.AttachUi(&ui);
    run.ForcePreciseTime(options.preciseTime);
    core.StartWorkers(events);

    run.Start();
    // A start that failed has said why (boxes on standard error).
    const bool started = run.State().IsActive();
    const auto began = std::chrono::steady_clock::now();
    while (run.State().IsActive()) {
        auto wait = std::chrono::milliseconds(200);
        if (options.duration) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::duration<double>(*options.duration) -
                (std::chrono::steady_clock::now() - began));
            if (left.count() <= 0) {
                run.Stop();
                break;
            }
            wait = std::min(wait, left + std::chrono::milliseconds(1));
        }
        if (loop.RunFor(wait, signals.Fd())) {
            // Ctrl-C: the run ends as its Stop button ends it.
            signals.Consume();
            run.Stop();
            break;
        }
    }
    core.StopWorkers();
    run.AttachUi(nullptr);

    if (!started || events.Failed())
        return ExitFailed;
    std::printf("Entries: %d\n", run.State().Entries());
    return 0;
}
