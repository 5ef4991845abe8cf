#pragma once

#include <atomic>
#include <ctime>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "logging/DataLogFile.h"
#include "logging/LogSources.h"

class IMessageLog;

// What the start and the stop of a run (user-interface thread) share with the
// polling worker: the logging-active flag, the recorded sources, the file and
// the entry counter.
//
// One lock serialises the file and the counter, so a sample's row is either
// counted and written before the stop's trailer or not at all, and the count
// in the trailer always equals the rows above it. Samples are taken only from
// the moment the timer is set until the stop: a tick left over from an earlier
// run never writes into a file whose header is not written yet.
class CLoggingState {
public:
    CLoggingState(std::atomic<int>& loggingActive, IMessageLog& log)
        : loggingActive_(loggingActive), file_(log), log_(log) {}

    // The start, in its order: the file is created (empty), the run becomes
    // active, the header goes in, then samples may be taken.
    bool CreateFile(const std::string& path, std::string* error);
    void SetSources(const LogSourceFlags& sources);
    void Activate();
    void AppendText(std::string_view text);
    void BeginSampling();
    // "Log Date and Milliseconds" for this run: the rows' first field.
    void SetPreciseTime(bool precise) { preciseTime_ = precise; }
    bool PreciseTime() const { return preciseTime_.load(); }

    bool IsActive() const { return loggingActive_.load() != 0; }
    bool IsSampling() const { return sampling_.load(); }
    LogSourceFlags Sources() const;
    int Entries() const { return entries_.load(); }
    std::string Path() const;

    // The worker's row: counted and written when the run still samples; false otherwise.
    bool CommitRow(std::string_view row);
    // Called with each row CommitRow writes, on the worker's thread, under the
    // state's lock (a front end without windows hands the rows on); none when empty.
    void SetRowObserver(std::function<void(std::string_view row)> observer);

    // The stop: the run is no longer active, and the trailer ("Number of
    // entries = %d", then the terminated line of `now`) follows the last row.
    // False, and nothing written, when no run was active.
    bool End(const std::tm& now);

private:
    std::atomic<int>& loggingActive_;
    std::atomic<bool> sampling_{false};
    std::atomic<bool> preciseTime_{false};
    std::atomic<int> entries_{0};
    mutable std::mutex mutex_;
    LogSourceFlags sources_;
    std::function<void(std::string_view)> rowObserver_;
    CDataLogFile file_;
    IMessageLog& log_;
};
