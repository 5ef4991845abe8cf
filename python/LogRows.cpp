#include "python/LogRows.h"

#include <filesystem>

#include <pybind11/pybind11.h>

#include "logging/LogFormat.h"
#include "logging/LoggingUi.h"
#include "python/Errors.h"
#include "python/Instrument.h"

namespace py = pybind11;

// The progress window of a run no one watches.
class CSilentProgress : public IDataLoggingProgress {
public:
    explicit CSilentProgress(CVantorCore& core) : core_(core) {}
    void SetFields(const DataLoggingFields&) override {}
    void ShowProgress() override {}
    void SetEntries(std::string_view) override {}
    void PressStop() override { core_.LoggingRun().Stop(); }

private:
    CVantorCore& core_;
};

CLogRows::CLogRows(CInstrument& instrument, GivenLoggingOptions options,
                   std::vector<std::string> columns, std::string folder)
    : instrument_(instrument), columns_(std::move(columns)), folder_(std::move(folder)),
      progress_(std::make_unique<CSilentProgress>(instrument.Core())) {
    options.rowTaken = [this](std::string_view row) { Taken(row); };
    preciseTime_ = options.preciseTime;
    run_ = std::make_unique<CGivenLoggingRun>(instrument.Core(), std::move(options), *progress_);
}

CLogRows::~CLogRows() {
    Finish();
}

void CLogRows::Taken(std::string_view row) {
    LoggedRow logged;
    std::string_view rest = row;
    while (!rest.empty() && (rest.back() == '\n' || rest.back() == '\r'))
        rest.remove_suffix(1);
    std::size_t comma = rest.find(',');
    logged.time =
        RowFieldTime(rest.substr(0, comma), preciseTime_, std::chrono::system_clock::now());
    while (comma != std::string_view::npos) {
        const std::size_t start = comma + 1;
        comma = rest.find(',', start);
        logged.fields.emplace_back(
            rest.substr(start, comma == std::string_view::npos ? comma : comma - start));
    }
    std::lock_guard lock(mutex_);
    rows_.push_back(std::move(logged));
}

void CLogRows::Start() {
    CPythonUi& ui = instrument_.Ui();
    ui.Clear();
    bool started = false;
    instrument_.SetActiveLog(this);
    {
        py::gil_scoped_release release;
        started = run_->Start();
    }
    ui.Flush();
    if (!started) {
        Finish();
        throw LinkFailure(OrElse(ui.Reason(), "the data logging run did not start"));
    }
}

std::optional<LoggedRow> CLogRows::Next() {
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (!rows_.empty()) {
                LoggedRow row = std::move(rows_.front());
                rows_.pop_front();
                return row;
            }
        }
        if (finished_ || !run_->IsActive())
            break;
        {
            py::gil_scoped_release release;
            run_->Step(std::chrono::milliseconds(100));
        }
        instrument_.Ui().Flush();
        if (PyErr_CheckSignals() != 0) {
            // Ctrl-C: the run ends as its Stop button ends it, trailer and all;
            // the exception is held meanwhile, since the log goes to Python.
            py::error_already_set interrupted;
            Close();
            throw interrupted;
        }
    }
    const bool failed = run_->Failed();
    Close();
    if (failed)
        throw LinkFailure(OrElse(instrument_.Ui().Reason(), "Communication Error"));
    return std::nullopt;
}

void CLogRows::Close() {
    {
        py::gil_scoped_release release;
        Finish();
    }
    instrument_.Ui().Flush();
}

void CLogRows::Finish() {
    if (finished_)
        return;
    finished_ = true;
    run_->Finish();
    entries_ = run_->Entries();
    instrument_.SetActiveLog(nullptr);
    if (!folder_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
}
