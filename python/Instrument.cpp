#include "python/Instrument.h"

#include <pybind11/chrono.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include "app/InstrumentPort.h"
#include "curves/CurveTransferOptions.h"
#include "curves/DownloadCurve.h"
#include "curves/DownloadPIDTable.h"
#include "curves/GivenTableNumbers.h"
#include "curves/UploadCurve.h"
#include "curves/UploadPIDTable.h"
#include "python/Curve.h"
#include "python/Errors.h"
#include "python/InstrumentOperations.h"
#include "python/LogRows.h"
#include "python/TempFolder.h"

namespace py = pybind11;
using namespace pybind11::literals;

CInstrument::CCall::CCall(CInstrument& instrument) : ui_(instrument.Ui()) {
    ui_.Clear();
}

CInstrument::CCall::~CCall() {
    try {
        ui_.Flush();
    } catch (const py::error_already_set&) {
        // A logger that fails must not hide the call's own outcome.
    }
}

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
        throw LinkFailure(OrElse(ui_.Reason(), "No Device"));
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
    if (activeLog_ != nullptr)
        activeLog_->Finish();
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
                     items.append(ReadingValue(field));
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
                CInstrument::CCall call(self);
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
                Transfer(self, UploadCurve, file, numbers, {});
                return CCurve::Read(file);
            },
            "number"_a, "Reads user curve number (1..8) from the instrument into a Curve.")
        .def(
            "download_pid",
            [](CInstrument& self, const std::string& path, int table) {
                CGivenTableNumbers numbers;
                numbers.pidTable = table;
                Transfer(self, DownloadPIDTable, path, numbers, {});
            },
            "path"_a, "table"_a, "Sends a .pid file into PID table table.")
        .def(
            "upload_pid",
            [](CInstrument& self, int table) {
                CTempFolder folder;
                const std::string file = folder.File("PidTable.pid");
                CGivenTableNumbers numbers;
                numbers.pidTable = table;
                Transfer(self, UploadPIDTable, file, numbers, {});
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
