#include "python/InstrumentOperations.h"

#include <charconv>
#include <fstream>
#include <sstream>

#include <pybind11/stl.h>

#include "app/CommandRules.h"
#include "app/CoreTransfer.h"
#include "app/GivenLoggingRun.h"
#include "base/AbsolutePath.h"
#include "base/DecimalText.h"
#include "base/GivenFiles.h"
#include "cmdfile/CommandFileRunner.h"
#include "cmdfile/StandardOutput.h"
#include "comm/CommandLine.h"
#include "curves/GivenCurveHeader.h"
#include "curves/TableNumberDialogs.h"
#include "curves/TransferContext.h"
#include "logging/DatalogUpload.h"
#include "logging/LogFormat.h"
#include "logging/LogSources.h"
#include "logging/MonitorWorker.h"
#include "python/Errors.h"
#include "python/Instrument.h"
#include "python/LogRows.h"
#include "python/TempFolder.h"

namespace py = pybind11;

namespace {

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
            throw LinkFailure(OrElse(instrument.Ui().Reason(), "No Device"));
    }
    instrument.Identify();
}

std::string SourcesText(const py::object& sources) {
    if (py::isinstance<py::str>(sources))
        return sources.cast<std::string>();
    std::string list;
    for (const py::handle item : sources)
        list += (list.empty() ? "" : ",") + py::str(item).cast<std::string>();
    return list;
}

} // namespace

// A transaction as "tundrix-cli query" and "send" run it.
std::string Transaction(CInstrument& instrument, const char* what, const std::string& command,
                        bool readReply) {
    if (const auto problem = CommandLineProblem(command))
        throw InputRefusal(std::string(what) + ": " + *problem + "; nothing was sent");
    CInstrument::CCall call(instrument);
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
              const CurveTransferOptions& options) {
    CInstrument::CCall call(instrument);
    CVantorCore& core = instrument.Core();
    CPythonUi& ui = instrument.Ui();
    CGivenFiles files(file);
    CGivenCurveHeader header;
    const TransferContext context =
        CoreTransferContext(core, {ui, ui, ui, files, header, numbers}, options);
    TransferOutcome outcome = TransferOutcome::Done;
    {
        py::gil_scoped_release release;
        outcome = transfer(context);
    }
    const std::string boxes = ui.Reason();
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

py::object ReadingValue(const std::string& text) {
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
    CInstrument::CCall call(instrument);
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
    reading["value"] = ReadingValue(query.reading.value);
    reading["unit"] = std::string(WithoutLineEnd(query.reading.unit));
    reading["name"] = std::string(WithoutLineEnd(query.reading.name));
    return reading;
}

void UploadDataLog(CInstrument& instrument, const std::string& path) {
    CInstrument::CCall call(instrument);
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
        throw LinkFailure(OrElse(ui.Reason(), "No Device"));
    case DatalogUploadOutcome::FileNotCreated:
        throw FileFailure(OrElse(ui.Reason(), "Failed to create file"));
    default:
        throw LinkFailure(OrElse(ui.Reason(), "Communication Error"));
    }
}

CommandRun RunCommands(CInstrument& instrument, const std::string& path,
                       const std::string& errorLog) {
    CInstrument::CCall call(instrument);
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
        throw FileFailure(OrElse(ui.Reason(), path + ": the command file could not be opened"));
    default:
        throw LinkFailure(OrElse(ui.Reason(), "the command file run was aborted"));
    }
}

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
