#include "python/Instrument.h"

#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <pybind11/chrono.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include "app/CommandRules.h"
#include "app/InstrumentPort.h"
#include "base/AbsolutePath.h"
#include "base/DecimalText.h"
#include "base/GivenFiles.h"
#include "cmdfile/CommandFileRunner.h"
#include "cmdfile/StandardOutput.h"
#include "comm/CommandLine.h"
#include "curves/DownloadCurve.h"
#include "curves/DownloadPIDTable.h"
#include "curves/GivenCurveHeader.h"
#include "curves/GivenTableNumbers.h"
#include "curves/TransferContext.h"
#include "curves/UploadCurve.h"
#include "curves/UploadPIDTable.h"
#include "logging/DatalogUpload.h"
#include "logging/LogFormat.h"
#include "logging/MonitorWorker.h"
#include "python/Curve.h"
#include "python/Errors.h"
#include "python/LogRows.h"

namespace py = pybind11;
using namespace pybind11::literals;

namespace {

// Clears the boxes of earlier calls, and hands the log to Python at the end.
class CCall {
public:
    explicit CCall(CInstrument& instrument) : ui_(instrument.Ui()) { ui_.Clear(); }
    ~CCall() {
        try {
            ui_.Flush();
        } catch (const py::error_already_set&) {
            // A logger that fails must not hide the call's own outcome.
        }
    }
    CCall(const CCall&) = delete;
    CCall& operator=(const CCall&) = delete;

private:
    CPythonUi& ui_;
};

// A folder of its own for the files an upload writes and the module reads back.
class CTempFolder {
public:
    CTempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tundrix-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw FileFailure("no temporary folder could be made in " + pattern);
        path_ = pattern;
    }
    ~CTempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;
    std::string File(const char* name) const { return (path_ / name).string(); }
    std::string Release() {
        std::string path = path_.string();
        path_.clear();
        return path;
    }

private:
    std::filesystem::path path_;
};

// A transaction as "tundrix-cli query" and "send" run it.
std::string Transaction(CInstrument& instrument, const char* what, const std::string& command,
                        bool readReply) {
    if (const auto problem = CommandLineProblem(command))
        throw InputRefusal(std::string(what) + ": " + *problem + "; nothing was sent");
    CCall call(instrument);
    CVantorCore& core = instrument.Core();
    std::string reply;
    LinkResult result = Link::Success;
    bool locked = false;
    {
        py::gil_scoped_release release;
        std::unique_lock lock(core.TransactionMutex(), std::defer_lock);
        locked = lock.try_lock_for(CVantorCore::LockWait);
        if (locked)
            result = readReply ? core.Link().Query(command, reply)
                               : core.Link().Transact(command, nullptr);
    }
    if (!locked)
        throw LinkFailure("the link is busy");
    if (result != Link::Success) {
        const std::string& why = core.Link().LastFailure();
        throw LinkFailure(std::string(what) + " \"" + command + "\" failed: LinkResult " +
                          std::to_string(result) + (why.empty() ? "" : " (" + why + ")"));
    }
    return reply;
}

// A transfer with its dialogs answered as given; raises on any outcome but Done.
void Transfer(CInstrument& instrument, TransferOutcome (*transfer)(const TransferContext&),
              const std::string& file, ITableNumberDialogs& numbers,
              const CurveTransferOptions& options = {}) {
    CCall call(instrument);
    CVantorCore& core = instrument.Core();
    CPythonUi& ui = instrument.Ui();
    CGivenFiles files(file);
    CGivenCurveHeader header;
    const TransferContext context{core.Link(),
                                  core.TransactionMutex(),
                                  ui,
                                  ui,
                                  ui,
                                  files,
                                  header,
                                  numbers,
                                  [&core] { core.ShowRS232Hints(); },
                                  options};
    TransferOutcome outcome = TransferOutcome::Done;
    {
        py::gil_scoped_release release;
        outcome = transfer(context);
    }
    const std::string boxes = ui.BoxText();
    switch (outcome) {
    case TransferOutcome::Done:
        return;
    case TransferOutcome::Busy:
        throw LinkFailure("the link is busy");
    case TransferOutcome::FileRefused:
        throw FileFailure(OrElse(boxes, file + ": the file was refused"));
    case TransferOutcome::WriteFailed:
    case TransferOutcome::BackupFailed:
        throw FileFailure(OrElse(boxes, "Failed to create file"));
    case TransferOutcome::SendErrors:
        throw LinkFailure(OrElse(boxes, "the instrument refused lines that were sent (marked "
                                        "\" **ERROR**\" in the log)"));
    case TransferOutcome::NotConfirmed:
    case TransferOutcome::VerifyMismatch:
        throw LinkFailure(OrElse(boxes, "the instrument does not hold the entries that were sent"));
    case TransferOutcome::Cancelled:
        throw InputRefusal(OrElse(boxes, "the transfer was cancelled"));
    default:
        throw LinkFailure(OrElse(boxes, "Communication Error"));
    }
}

void CheckUserCurve(int number) {
    if (number < 1 || number > ITableNumberDialogs::UserCurves)
        throw InputRefusal("number: a user curve from 1 to 8");
}

// "*IDN?" again, as tundrix-cli does before a log or a monitor; LAN reconnected.
void Identified(CInstrument& instrument) {
    CVantorCore& core = instrument.Core();
    if (core.Link().GetPortType() == PortLAN) {
        int connected = 0;
        {
            py::gil_scoped_release release;
            connected = core.Link().ConnectLAN();
        }
        if (connected == 0)
            throw LinkFailure(OrElse(instrument.Ui().BoxText(), "No Device"));
    }
    instrument.Identify();
}

py::object Number(const std::string& text) {
    // The instrument writes "+1.2345E+02" as well as "0.52": a "+" from_chars does not take.
    std::string_view number = WithoutLineEnd(text);
    if (number.size() > 1 && number.front() == '+')
        number.remove_prefix(1);
    double value = 0.0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error == std::errc{} && end == number.data() + number.size() && !number.empty())
        return py::float_(value);
    return py::str(std::string(WithoutLineEnd(text)));
}

std::string SourcesText(const py::object& sources) {
    if (py::isinstance<py::str>(sources))
        return sources.cast<std::string>();
    std::string list;
    for (const py::handle item : sources)
        list += (list.empty() ? "" : ",") + py::str(item).cast<std::string>();
    return list;
}

std::unique_ptr<CLogRows> StartLog(CInstrument& instrument, const py::object& sources,
                                   double interval, std::optional<int> count,
                                   std::optional<double> duration, std::optional<std::string> path,
                                   bool preciseTime) {
    if (interval < MinLoggingInterval || interval > MaxLoggingInterval)
        throw InputRefusal("interval " + FormatGeneral(interval, 15) +
                           ": not a number of seconds from 0.1 to 120000");
    if (count && *count < 1)
        throw InputRefusal("count " + std::to_string(*count) + ": not a whole number from 1");
    if (duration && !(*duration >= MinLoggingInterval && *duration <= 1e9))
        throw InputRefusal("duration " + FormatGeneral(*duration, 15) +
                           ": not a number of seconds from 0.1 to 1000000000");
    if (!count && !duration)
        throw InputRefusal("give count or duration");
    CVantorCore& core = instrument.Core();
    if (core.LoggingRun().State().IsActive())
        throw InputRefusal("a data logging run is already active");
    const std::string list = SourcesText(sources);
    Identified(instrument);
    std::string error;
    const auto mask = ParseLogSources(list, SourceEnableFlags(core.Features()), error);
    if (!mask)
        throw InputRefusal("sources: " + error);

    LogSourceFlags flags;
    for (int i = 0; i < LogSourceCount; ++i)
        if ((*mask & (1u << i)) != 0 && IsSourceRecorded(i, core.Features()))
            flags.set(static_cast<std::size_t>(i));
    std::vector<std::string> columns{"time"};
    std::stringstream titles(ColumnTitleLine(flags));
    std::string title;
    std::getline(titles, title, ','); // "Entry Number": the time's column
    while (std::getline(titles, title, ','))
        columns.push_back(title.substr(0, title.find('\n')));

    std::string folder;
    if (!path) {
        CTempFolder temp;
        path = temp.File("DataLog.csv");
        folder = temp.Release();
    }
    GivenLoggingOptions options{*mask,       interval, AbsolutePath(*path), count, duration,
                                preciseTime, {}};
    auto rows = std::make_unique<CLogRows>(instrument, std::move(options), std::move(columns),
                                           std::move(folder));
    rows->Start();
    return rows;
}

py::dict Monitor(CInstrument& instrument, const std::string& name) {
    const int index = MonitorIndexByName(name);
    if (index < 0)
        throw InputRefusal("monitor: no monitor \"" + name +
                           "\" (A..H, Heater1, Heater2, Analog1, Analog2)");
    CCall call(instrument);
    const MonitorInfo& monitor = MonitorTable[static_cast<std::size_t>(index)];
    Identified(instrument);
    CVantorCore& core = instrument.Core();
    const CMonitorFlags closed;
    if (!IsCommandEnabled(MonitorCommand(index), CommandContext{core.Features(), closed})) {
        if (!core.Features().IsModelKnown())
            throw InputRefusal("monitor: the model of this instrument is not recognised (model "
                               "code " +
                               std::to_string(core.ModelCode()) + ")");
        throw InputRefusal("monitor: this instrument has no " + std::string(monitor.title));
    }
    MonitorQuery query;
    {
        py::gil_scoped_release release;
        query = QueryMonitor(core.Link(), core.TransactionMutex(), index);
    }
    const std::string asked(monitor.query);
    if (!query.locked)
        throw LinkFailure("the link is busy");
    if (!query.Succeeded() && query.result < 0)
        throw LinkFailure("monitor \"" + asked + "\" failed: LinkResult " +
                          std::to_string(query.result));
    if (!query.Succeeded())
        throw LinkFailure("monitor \"" + asked + "\" got no reply");
    py::dict reading;
    reading["value"] = Number(query.reading.value);
    reading["unit"] = std::string(WithoutLineEnd(query.reading.unit));
    reading["name"] = std::string(WithoutLineEnd(query.reading.name));
    return reading;
}

void UploadDataLog(CInstrument& instrument, const std::string& path) {
    CCall call(instrument);
    CVantorCore& core = instrument.Core();
    CPythonUi& ui = instrument.Ui();
    CGivenFiles file(AbsolutePath(path));
    const DatalogUploadContext context{core.Link(), core.TransactionMutex(),           ui, ui,
                                       file,        [&core] { core.ShowRS232Hints(); }};
    DatalogUploadOutcome outcome = DatalogUploadOutcome::Uploaded;
    {
        py::gil_scoped_release release;
        outcome = UploadDatalog(context);
    }
    switch (outcome) {
    case DatalogUploadOutcome::Uploaded:
        return;
    case DatalogUploadOutcome::Busy:
        throw LinkFailure("the link is busy");
    case DatalogUploadOutcome::NoInstrument:
        throw LinkFailure(OrElse(ui.BoxText(), "No Device"));
    case DatalogUploadOutcome::FileNotCreated:
        throw FileFailure(OrElse(ui.BoxText(), "Failed to create file"));
    default:
        throw LinkFailure(OrElse(ui.BoxText(), "Communication Error"));
    }
}

// What run_commands gives back.
struct CommandRun {
    int errors = 0;
    std::string errorLog;
};

CommandRun RunCommands(CInstrument& instrument, const std::string& path,
                       const std::string& errorLog) {
    CCall call(instrument);
    CVantorCore& core = instrument.Core();
    CPythonUi& ui = instrument.Ui();
    CGivenFiles file(AbsolutePath(path));
    CStandardOutput standardOutput;
    CommandFileContext context{core.Link(), core.TransactionMutex(), ui, standardOutput, file};
    context.errorLogPath = errorLog;
    CommandFileResult result;
    {
        py::gil_scoped_release release;
        result = CCommandFileRunner(context).Run();
    }
    switch (result.outcome) {
    case CommandFileOutcome::Completed:
        return {result.errors, AbsolutePath(errorLog)};
    case CommandFileOutcome::NotOpened:
        throw FileFailure(OrElse(ui.BoxText(), path + ": the command file could not be opened"));
    default:
        throw LinkFailure(OrElse(ui.BoxText(), "the command file run was aborted"));
    }
}

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

CInstrument::CInstrument(const std::optional<std::string>& resource,
                         const std::optional<std::string>& settingsPath)
    : settings_(ResolveSettingsPath(settingsPath.value_or(""))) {
    settings_.Load();
    core_ = std::make_unique<CVantorCore>(settings_, ui_, ui_, ui_);
    CCall call(*this);
    PortOpening opening;
    {
        py::gil_scoped_release release;
        opening = OpenInstrumentPort(*core_, settings_, resource);
    }
    if (opening.result == PortOpening::Refused)
        throw InputRefusal("resource: " + opening.error);
    if (opening.result == PortOpening::Failed)
        throw LinkFailure(OrElse(ui_.BoxText(), "No Device"));
}

CInstrument::~CInstrument() {
    Close();
}

CVantorCore& CInstrument::Core() {
    if (!core_)
        throw py::value_error("the instrument is closed");
    return *core_;
}

void CInstrument::Close() {
    if (!core_)
        return;
    py::gil_scoped_release release;
    core_->StopWorkers();
    core_.reset();
}

void CInstrument::Identify() {
    bool identified = false;
    {
        py::gil_scoped_release release;
        identified = Core().Identify();
    }
    if (!identified)
        throw LinkFailure("No Device");
}

void RegisterInstrument(py::module_& module) {
    py::class_<CommandRun>(module, "CommandRun", "How a command file run went.")
        .def_readonly("errors", &CommandRun::errors, "The reply checks that failed.")
        .def_readonly("error_log", &CommandRun::errorLog, "The error log the run wrote.")
        .def("__repr__", [](const CommandRun& run) {
            return "<tundrix.CommandRun errors=" + std::to_string(run.errors) + ">";
        });

    py::class_<CLogRows>(module, "LogRows",
                         "The rows of a running data logging run: iterate to get each row as "
                         "it is taken, a tuple (timestamp, value, ...) in the order of columns. "
                         "The run stops after its count or duration, on close(), at the end of "
                         "a with block, or on Ctrl-C, always with its trailer written.")
        .def("__iter__", [](CLogRows& self) -> CLogRows& { return self; })
        .def("__next__",
             [](CLogRows& self) {
                 std::optional<LoggedRow> row = self.Next();
                 if (!row)
                     throw py::stop_iteration();
                 py::list items;
                 items.append(py::cast(row->time));
                 for (const std::string& field : row->fields)
                     items.append(Number(field));
                 return py::tuple(items);
             })
        .def_property_readonly("columns", &CLogRows::Columns,
                               "The names of the row's items: \"time\", then the file's column "
                               "titles (\"Channel A\", \"Heater 1\", \"RANGE\", ...).")
        .def_property_readonly("entries", &CLogRows::Entries, "The rows written so far.")
        .def("close", &CLogRows::Close, "Stops the run; its trailer is written.")
        .def("__enter__", [](CLogRows& self) -> CLogRows& { return self; })
        .def("__exit__", [](CLogRows& self, const py::args&) { self.Close(); });

    py::class_<CInstrument>(module, "Instrument",
                            "One temperature controller and its link. Made by tundrix.open(); "
                            "a context manager that closes the link.")
        .def(
            "query",
            [](CInstrument& self, const std::string& command) {
                return Transaction(self, "query", command, true);
            },
            "command"_a,
            "Sends a query and returns its reply exactly as received (line end included). "
            "Raises LinkError when it fails or no reply comes.")
        .def(
            "send",
            [](CInstrument& self, const std::string& command) {
                Transaction(self, "send", command, false);
            },
            "command"_a, "Sends a command line; nothing is read.")
        .def(
            "identify",
            [](CInstrument& self) {
                CCall call(self);
                self.Identify();
                CVantorCore& core = self.Core();
                const CFeatureTable& features = core.Features();
                py::dict identity;
                identity["model"] = core.ShortcutBar().Get().modelText;
                identity["model_code"] = core.ModelCode();
                identity["recognised"] = features.IsModelKnown();
                identity["model_class"] = features.ModelClass();
                identity["inputs"] = features.InputCount();
                identity["analog_kind"] = features.AnalogKind();
                return identity;
            },
            "Identifies the instrument as Connect does: a dict of model (its text), "
            "model_code, recognised, model_class, inputs and analog_kind. LinkError \"No "
            "Device\" when it does not answer.")
        .def(
            "download_curve",
            [](CInstrument& self, const std::string& path, int number, bool verify,
               const std::optional<std::string>& backup) {
                CheckUserCurve(number);
                if (backup && backup->empty())
                    throw InputRefusal("backup: a folder");
                CGivenTableNumbers numbers;
                numbers.userCurve = number;
                CurveTransferOptions options;
                options.verifyAfterDownload = verify;
                options.backupBeforeDownload = backup.has_value();
                options.backupFolder = backup.value_or("");
                Transfer(self, DownloadCurve, path, numbers, options);
            },
            "path"_a, "number"_a, "verify"_a = false, "backup"_a = py::none(),
            "Sends a .crv or .340 file into user curve number (1..8), its header as read; "
            "verify reads it back and compares; backup saves the user curve into a new .crv "
            "file in that folder first.")
        .def(
            "upload_curve",
            [](CInstrument& self, int number) {
                CheckUserCurve(number);
                CTempFolder folder;
                const std::string file = folder.File("UserCurve.crv");
                CGivenTableNumbers numbers;
                numbers.userCurve = number;
                Transfer(self, UploadCurve, file, numbers);
                return CCurve::Read(file);
            },
            "number"_a, "Reads user curve number (1..8) from the instrument into a Curve.")
        .def(
            "download_pid",
            [](CInstrument& self, const std::string& path, int table) {
                CGivenTableNumbers numbers;
                numbers.pidTable = table;
                Transfer(self, DownloadPIDTable, path, numbers);
            },
            "path"_a, "table"_a, "Sends a .pid file into PID table table.")
        .def(
            "upload_pid",
            [](CInstrument& self, int table) {
                CTempFolder folder;
                const std::string file = folder.File("PidTable.pid");
                CGivenTableNumbers numbers;
                numbers.pidTable = table;
                Transfer(self, UploadPIDTable, file, numbers);
                return ReadWhole(file);
            },
            "table"_a, "Reads PID table table and returns the text of its .pid file.")
        .def("log", &StartLog, "sources"_a, "interval"_a, "count"_a = py::none(),
             "duration"_a = py::none(), "path"_a = py::none(), "precise_time"_a = false,
             py::keep_alive<0, 1>(),
             "Starts a data logging run and returns its rows as an iterator (LogRows). "
             "sources: \"A,B,Heater1\", a list of such names, or \"all\"; interval: seconds "
             "between samples (0.1 to 120000); stop after count rows or duration seconds. "
             "With path the run's .csv file is written there exactly as the utility writes "
             "it; precise_time writes each row's time as YYYY-MM-DD HH:MM:SS.mmm.")
        .def("monitor", &Monitor, "name"_a,
             "One reading of a channel monitor (A..H, Heater1, Heater2, Analog1, Analog2) as "
             "the utility polls it: a dict of value, unit and name.")
        .def("upload_datalog", &UploadDataLog, "path"_a,
             "Copies the instrument's internal data log into a .csv file, pausing it meanwhile.")
        .def("run_commands", &RunCommands, "path"_a, "error_log"_a = "ErrorLog.txt",
             "Runs an XML command file, checking its replies; returns a CommandRun with the "
             "count of failed checks. FileError when the file cannot be opened, LinkError "
             "when the run was aborted.")
        .def("close", &CInstrument::Close, "Closes the link; later calls raise ValueError.")
        .def_property_readonly("closed", &CInstrument::IsClosed)
        .def("__enter__", [](CInstrument& self) -> CInstrument& { return self; })
        .def("__exit__", [](CInstrument& self, const py::args&) { self.Close(); });

    module.def(
        "open",
        [](const std::optional<std::string>& resource, const std::optional<std::string>& settings) {
            return std::make_unique<CInstrument>(resource, settings);
        },
        "resource"_a = py::none(), "settings"_a = py::none(),
        "Opens an instrument's port: a resource string such as "
        "\"TCPIP::127.0.0.1::5000::SOCKET\", \"ASRL/dev/ttyUSB0::INSTR\" or "
        "\"GPIB0::12::INSTR\", or without one the port of the settings file (settings, else "
        "$TUNDRIX_SETTINGS, else the user's). Raises RefusedError for a resource that names "
        "no port and LinkError when a LAN instrument does not connect.");
}
