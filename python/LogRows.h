#pragma once

#include <chrono>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/GivenLoggingRun.h"

class CInstrument;
class CSilentProgress;

// One row of a data logging run as the worker wrote it: its time and the
// fields after the time.
struct LoggedRow {
    std::chrono::system_clock::time_point time;
    std::vector<std::string> fields;
};

// What Instrument.log returns: an iterator over the rows of a running data
// logging run. Each step waits for the next row with the GIL released,
// handling the workers' messages meanwhile; Ctrl-C (or any signal Python
// raises for) stops the run with its trailer written before the exception
// goes on.
class CLogRows {
public:
    // `folder`: a temporary folder holding the file, removed at the end, when
    // the caller asked for rows only.
    CLogRows(CInstrument& instrument, GivenLoggingOptions options, std::vector<std::string> columns,
             std::string folder);
    ~CLogRows();
    CLogRows(const CLogRows&) = delete;
    CLogRows& operator=(const CLogRows&) = delete;

    // Starts the run; raises LinkError or FileError with the boxes' text.
    void Start();
    // The next row; nothing once the run has ended (raises LinkError when it
    // ended on a communication error).
    std::optional<LoggedRow> Next();
    // Stops the run (the trailer is written) and the workers.
    void Close();
    const std::vector<std::string>& Columns() const { return columns_; }
    int Entries() const { return finished_ ? entries_ : run_->Entries(); }
    // Stops the run and the workers without Python (the instrument closing).
    // Again does nothing.
    void Finish();

private:
    void Taken(std::string_view row);

    CInstrument& instrument_;
    std::vector<std::string> columns_;
    std::string folder_;
    bool preciseTime_ = false;
    std::mutex mutex_;
    std::deque<LoggedRow> rows_;
    std::unique_ptr<CSilentProgress> progress_;
    std::unique_ptr<CGivenLoggingRun> run_;
    bool finished_ = false;
    int entries_ = 0; // once finished
};
