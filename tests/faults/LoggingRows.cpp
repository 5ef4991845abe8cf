// The logging operations of the fault suite: a data logging run and a
// channel monitor as the CLI runs them (its event loop and workers are the
// composition that drives them outside the GUI), and the internal datalog
// upload in-process on the core, as the GUI runs it.

#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "base/GivenFiles.h"
#include "faults/OperationRuns.h"
#include "logging/DatalogUpload.h"

namespace faults {
namespace {

// "Data Logging" > "Start" from a script: Channel A and Heater 1, two
// entries 0.1 s apart. The output is the file written.
Result RunDataLogging(const Cell& cell) {
    Result result = FromProgram(cell.Cli(
        {"log", cell.outputPath, "--sources", "A,Heater1", "--interval", "0.1", "--count", "2"}));
    result.output = RegularFileText(cell.outputPath);
    return result;
}

// The file of a run is the earlier file, untouched (the start failed before
// it made its file), or the whole file of a run that ended: its last line
// the terminated line of the trailer, after a failed sample followed by
// "Exit due to Communication Error.". After a success it is what was written.
void LogFileWhole(const Cell& cell, const Result& result) {
    std::string now = RegularFileText(cell.outputPath);
    if (result.succeeded) {
        EXPECT_EQ(result.output, now);
    }
    if (now == EarlierFile)
        return NoTemporaryFiles(cell);
    const std::string exitLine = "Exit due to Communication Error.\r\n";
    const bool failedSample = !result.succeeded && now.ends_with(exitLine);
    if (failedSample)
        now.resize(now.size() - exitLine.size());
    const std::size_t last = now.rfind('\n', now.size() >= 2 ? now.size() - 2 : 0);
    const std::string lastLine = now.substr(last == std::string::npos ? 0 : last + 1);
    EXPECT_TRUE(lastLine.starts_with("Data logging terminated at ") && now.ends_with(" \r\n"))
        << "the log file does not end with its trailer:\n"
        << now;
    NoTemporaryFiles(cell);
}

// Channel A's monitor, two readings 0.1 s apart: time, value, unit, name.
Result RunMonitor(const Cell& cell) {
    return FromProgram(cell.Cli({"monitor", "A", "--count", "2", "--interval", "0.1"}));
}

// "Upload Internal DataLog", in-process. The output is the file written.
Result RunDatalogUpload(const Cell& cell) {
    InProcess run(cell);
    run.ConnectLan(cell);
    CGivenFiles file(cell.outputPath);
    const DatalogUploadContext context{
        run.core.Link(), run.core.TransactionMutex(), run.ui, run.ui, file, [&run] {
            run.core.ShowRS232Hints();
        }};
    const bool uploaded = UploadDatalog(context) == DatalogUploadOutcome::Uploaded;
    return run.Finish(uploaded, uploaded ? RegularFileText(cell.outputPath) : std::string());
}

// The instrument's log fills by one record a second from the simulator's
// start, so the number of records depends on how long a cell took. What a
// fault must not change: the header lines, the shape of each record (digits
// masked), and the count the log states against the records that came.
std::string DatalogShape(const std::string& file) {
    std::istringstream lines(file);
    std::string shape;
    std::string lastRecord;
    long stated = -1;
    long records = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with("Records,")) {
            stated = std::strtol(line.c_str() + 8, nullptr, 10);
            shape += MaskDigits(line) + "\n";
        } else if (!line.empty() && line[0] >= '0' && line[0] <= '9') {
            ++records;
            if (MaskDigits(line) != lastRecord)
                shape += MaskDigits(line) + "\n";
            lastRecord = MaskDigits(line);
        } else {
            shape += MaskDigits(line) + "\n";
        }
    }
    return shape + (stated == records ? "(as many records as stated)"
                                      : "(" + std::to_string(stated) + " records stated, " +
                                            std::to_string(records) + " came)");
}

// The user's earlier file, or after a success what was written; or, when
// only the logging state could not be put back, the whole upload, with the
// user told that the instrument's logging is off.
void DatalogFileKept(const Cell& cell, const Result& result) {
    const std::string now = RegularFileText(cell.outputPath);
    const bool restoreFailed =
        result.messages.find("could not be switched back on: it is off.") != std::string::npos;
    if (!result.succeeded && restoreFailed && now != EarlierFile && cell.reference != nullptr) {
        EXPECT_EQ(DatalogShape(cell.reference->output), DatalogShape(now));
        return NoTemporaryFiles(cell);
    }
    EarlierFileKept(cell, result);
}

} // namespace

std::vector<OperationRow> LoggingRows() {
    std::vector<OperationRow> rows;

    // The CLI identifies first ("*IDN?", "SYST:IDEF?"), then the start
    // ("*idn?;", two name queries) and two samples of one batch each.
    // The names of the sources (queries 4 and 5) are free text.
    OperationRow logging{
        "data logging", NeedsReplies | NeedsSeveral | NeedsSettingsFile | NeedsOutputFile,
        LineTransports, 7,
        RunDataLogging, {{"corrupt@4", Expect::Bounded}, {"corrupt@5", Expect::Bounded}}};
    logging.outputName = "run.csv";
    logging.comparable = MaskDigits;
    logging.checkFiles = LogFileWhole;
    rows.push_back(logging);

    // The CLI identifies the instrument first ("*IDN?", "SYST:IDEF?"), then two readings.
    OperationRow monitor{"monitor",      NeedsReplies | NeedsSeveral | NeedsSettingsFile,
                         LineTransports, 4,
                         RunMonitor,     {}};
    monitor.comparable = MaskDigits;
    rows.push_back(monitor);

    // "*IDN?", "DLog:State?", "DLog:State off", "DLog:Count?", the table of
    // "DLog:Read?" (about 100 bytes and 45 a record, a record a second:
    // trickled, as long as many exchanges), "DLog:State on" and "DLog:State?"
    // again. A state it cannot read is asked once more, so that a fault at
    // either "DLog:State?" may end in the exact result; the middle of a
    // short log is its column titles, free text.
    OperationRow datalog{"datalog upload",
                         NeedsReplies | NeedsSeveral | NeedsSettingsFile | NeedsOutputFile,
                         LineTransports,
                         32,
                         RunDatalogUpload,
                         {{"no_reply", Expect::ExactOrFails},
                          {"cut", Expect::ExactOrFails},
                          {"stream", Expect::ExactOrFails},
                          {"corrupt@4", Expect::Bounded}}};
    datalog.outputName = "log.csv";
    datalog.comparable = DatalogShape;
    datalog.checkFiles = DatalogFileKept;
    // The instrument's own logging is put back as it was after a failed read.
    datalog.restores = {"DLog:State "};
    rows.push_back(datalog);
    return rows;
}

} // namespace faults
