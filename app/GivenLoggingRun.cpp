#include "app/GivenLoggingRun.h"

#include <algorithm>
#include <utility>

#include "app/VantorCore.h"
#include "base/EventLoop.h"
#include "base/FileChooser.h"
#include "logging/LoggingTicker.h"
#include "logging/WorkerEvents.h"

// The setup dialog, the save dialog and the timer, answered with the options.
class CGivenLoggingRun::CGiven : public IDataLogSetup, public IFileChooser {
public:
    CGiven(const GivenLoggingOptions& options, CEvent& sampleEvent)
        : options_(options), ticker_(sampleEvent) {}
    bool RunDataLogSetup(DataLogSetupData& data) override {
        data.interval = options_.interval;
        data.mask = options_.mask;
        return true;
    }
    std::optional<std::string> ChooseOpenFile(std::string_view, std::string_view) override {
        return std::nullopt;
    }
    std::optional<std::string> ChooseSaveFile(std::string_view, std::string_view) override {
        return options_.output;
    }
    CLoggingTicker& Ticker() { return ticker_; }

private:
    const GivenLoggingOptions& options_;
    CLoggingTicker ticker_;
};

// The view's handling of the workers' messages, run on the loop's thread
// while the worker waits.
class CGivenLoggingRun::CEvents : public IWorkerEvents {
public:
    CEvents(CVantorCore& core, std::optional<int> count) : core_(core), count_(count) {}

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
    CEventLoop& Loop() { return loop_; }

private:
    CVantorCore& core_;
    std::optional<int> count_;
    CEventLoop loop_;
    bool failed_ = false;
};

CGivenLoggingRun::CGivenLoggingRun(CVantorCore& core, GivenLoggingOptions options,
                                   IDataLoggingProgress& progress)
    : core_(core), options_(std::move(options)), progress_(progress),
      given_(std::make_unique<CGiven>(options_, core.SampleEvent())),
      events_(std::make_unique<CEvents>(core, options_.count)) {}

CGivenLoggingRun::~CGivenLoggingRun() {
    Finish();
}

bool CGivenLoggingRun::Start() {
    // The run keeps the address of the windows it was lent.
    ui_ = std::make_unique<LoggingUi>(LoggingUi{*given_, progress_, *given_, given_->Ticker()});
    CLoggingRun& run = core_.LoggingRun();
    run.AttachUi(ui_.get());
    run.ForcePreciseTime(options_.preciseTime);
    run.State().SetRowObserver(options_.rowTaken);
    core_.StartWorkers(*events_);
    started_ = true;
    run.Start();
    began_ = std::chrono::steady_clock::now();
    return run.State().IsActive();
}

bool CGivenLoggingRun::Step(std::chrono::milliseconds wait, int watchFd) {
    if (options_.duration) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::duration<double>(*options_.duration) -
            (std::chrono::steady_clock::now() - began_));
        if (left.count() <= 0) {
            Stop();
            return false;
        }
        wait = std::min(wait, left + std::chrono::milliseconds(1));
    }
    return events_->Loop().RunFor(wait, watchFd);
}

bool CGivenLoggingRun::IsActive() const {
    return core_.LoggingRun().State().IsActive();
}

void CGivenLoggingRun::Stop() {
    core_.LoggingRun().Stop();
}

void CGivenLoggingRun::Finish() {
    if (finished_ || !started_)
        return;
    finished_ = true;
    Stop();
    core_.StopWorkers();
    core_.LoggingRun().AttachUi(nullptr);
    core_.LoggingRun().State().SetRowObserver({});
}

bool CGivenLoggingRun::Failed() const {
    return events_->Failed();
}

int CGivenLoggingRun::Entries() const {
    return core_.LoggingRun().State().Entries();
}
