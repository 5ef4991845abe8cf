#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

class CVantorCore;
class IDataLoggingProgress;
struct LoggingUi;

// What a front end without windows gives a data logging run in place of the
// setup and save dialogs.
struct GivenLoggingOptions {
    std::uint16_t mask = 0;         // the setup dialog's sources, see ParseLogSources
    double interval = 0.0;          // seconds between samples
    std::string output;             // the .csv file, replaced if it exists
    std::optional<int> count;       // stop after this many entries
    std::optional<double> duration; // or after this many seconds
    bool preciseTime = false;       // "Log Date and Milliseconds" for this run
    // Each row as it is written, on the polling worker's thread.
    std::function<void(std::string_view row)> rowTaken;
};

// A data logging run of the CLI and the Python module: the setup and save
// dialogs answered with the options, the workers' messages handled by an
// event loop on the calling thread, as the view handles them. The same start,
// samples, stop and file as the utility's; the run stops itself when its
// count or duration is reached.
class CGivenLoggingRun {
public:
    CGivenLoggingRun(CVantorCore& core, GivenLoggingOptions options,
                     IDataLoggingProgress& progress);
    // Ends the run, if still active, with its trailer, and stops the workers.
    ~CGivenLoggingRun();
    CGivenLoggingRun(const CGivenLoggingRun&) = delete;
    CGivenLoggingRun& operator=(const CGivenLoggingRun&) = delete;

    // Starts the workers and the run; false when the start failed (its boxes
    // have said why).
    bool Start();
    // Handles the workers' messages for at most `wait`, and stops the run once
    // its duration is over. True when `watchFd` (if not -1) became readable.
    bool Step(std::chrono::milliseconds wait, int watchFd = -1);
    bool IsActive() const;
    // As the progress window's "Stop": the trailer is written.
    void Stop();
    // Stops the run, if active, and the workers. Again does nothing.
    void Finish();
    // A sample failed: the run ended with "Exit due to Communication Error.".
    bool Failed() const;
    int Entries() const;

private:
    class CEvents;
    class CGiven;

    CVantorCore& core_;
    GivenLoggingOptions options_;
    IDataLoggingProgress& progress_;
    std::unique_ptr<CGiven> given_;
    std::unique_ptr<CEvents> events_;
    std::unique_ptr<LoggingUi> ui_;
    std::chrono::steady_clock::time_point began_;
    bool started_ = false;
    bool finished_ = false;
};
