// The curve and PID table transfers of the fault suite, as the GUI runs
// them: in-process on the core's link and transaction mutex (so that the
// mutex can be checked afterwards), the dialogs answered as a user would:
// the file named, user curve 2 or PID table 1 chosen, the curve header
// accepted as it opens. What a download leaves in the instrument is the
// simulator's transcript of the lines it received; what an upload leaves is
// the file it wrote.

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "base/GivenFiles.h"
#include "curves/DownloadCurve.h"
#include "curves/DownloadPIDTable.h"
#include "curves/GivenCurveHeader.h"
#include "curves/GivenTableNumbers.h"
#include "curves/TransferContext.h"
#include "curves/UploadCurve.h"
#include "curves/UploadPIDTable.h"
#include "faults/OperationRuns.h"

namespace faults {
namespace {

// Four entries, the fewest a download takes.
constexpr const char* ProbeCurve = "Probe D1\nDiode\n1.0\nVolts\n"
                                   "0.5 300\n1.0 77\n1.25 20.5\n1.5 4.25\n;\n";
// A title and two entries.
constexpr const char* ZonesTable = "Zones\n20.000 40.000 25.000 0.000 Low\n"
                                   "50.000 60.000 30.000 0.000 Med\n;\n";

using Transfer = TransferOutcome (*)(const TransferContext&);

// One transfer with its file and dialogs; the outcome Done is success.
struct TransferRun {
    TransferRun(const Cell& cell, const std::string& file) : run(cell), files(file) {
        run.ConnectLan(cell);
    }
    bool Run(Transfer transfer, CurveTransferOptions options = {}) {
        const TransferContext context{run.core.Link(),
                                      run.core.TransactionMutex(),
                                      run.ui,
                                      run.ui,
                                      run.ui,
                                      files,
                                      header,
                                      numbers,
                                      [this] { run.core.ShowRS232Hints(); },
                                      std::move(options)};
        return transfer(context) == TransferOutcome::Done;
    }

    InProcess run;
    CGivenFiles files;
    CGivenCurveHeader header;
    CGivenTableNumbers numbers;
};

// Curve 2 or PID table 1 through one transfer. A download is judged by what
// the instrument received, an upload by the file it wrote.
Result RunTransfer(const Cell& cell, Transfer transfer,
                   std::optional<int> CGivenTableNumbers::*number, int value, bool download) {
    TransferRun run(cell, download ? cell.inputPath : cell.outputPath);
    run.numbers.*number = value;
    const bool done = run.Run(transfer);
    std::string output;
    if (done)
        output = download ? TranscriptUntil(cell, ";") : RegularFileText(cell.outputPath);
    return run.run.Finish(done, output);
}

Result RunCurveDownload(const Cell& cell) {
    return RunTransfer(cell, DownloadCurve, &CGivenTableNumbers::userCurve, 2, true);
}

// "Back Up User Curve Before Download" on: user curve 2 is saved into the
// folder "backups" first. The output is what the instrument received, then
// the backup.
Result RunCurveDownloadWithBackup(const Cell& cell) {
    const std::string folder = cell.dir->File("backups");
    std::filesystem::create_directory(folder);
    TransferRun run(cell, cell.inputPath);
    run.numbers.userCurve = 2;
    CurveTransferOptions options;
    options.backupBeforeDownload = true;
    options.backupFolder = folder;
    const bool done = run.Run(DownloadCurve, options);
    std::string output;
    if (done) {
        output = TranscriptUntil(cell, ";") + "--- backup:\n";
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            output += ReadFile(entry.path().string());
    }
    return run.run.Finish(done, output);
}

// A backup that was written is the user curve as the fault-free run saved
// it: never an empty file, a part of one or a damaged one, whether the
// download went on or not.
void BackupsWhole(const Cell& cell, const Result&) {
    const std::string saved = "--- backup:\n";
    if (cell.reference == nullptr || cell.reference->output.find(saved) == std::string::npos)
        return;
    const std::string whole =
        cell.reference->output.substr(cell.reference->output.find(saved) + saved.size());
    for (const auto& entry : std::filesystem::directory_iterator(cell.dir->File("backups")))
        EXPECT_EQ(whole, ReadFile(entry.path().string())) << entry.path();
    NoTemporaryFiles(cell);
}

Result RunCurveUpload(const Cell& cell) {
    return RunTransfer(cell, UploadCurve, &CGivenTableNumbers::userCurve, 2, false);
}

Result RunPidDownload(const Cell& cell) {
    return RunTransfer(cell, DownloadPIDTable, &CGivenTableNumbers::pidTable, 1, true);
}

Result RunPidUpload(const Cell& cell) {
    return RunTransfer(cell, UploadPIDTable, &CGivenTableNumbers::pidTable, 1, false);
}

constexpr unsigned OnLine = NeedsReplies | NeedsSeveral | NeedsSettingsFile;

} // namespace

std::vector<OperationRow> TransferRows() {
    std::vector<OperationRow> rows;

    // Eight "SENSORIX?", "*IDN?", then "CALC 2", four header lines, four
    // entries and ";". A changed byte in a "SENSORIX?" reply only changes what
    // the curve number dialog shows.
    OperationRow download{"curve download", OnLine | NeedsInputFile,       LineTransports, 19,
                          RunCurveDownload, {{"corrupt", Expect::Bounded}}};
    download.input = InputFile{"probe.crv", ProbeCurve};
    download.transcript = true;
    rows.push_back(download);

    // "*IDN?", eight "SENSORIX?", "SENSORIX 62:NENTRY?", the 1 s wait and the
    // table of "CALC? 2" (about 45 bytes: trickled, as long as three RS232
    // exchanges).
    // The same, the user curve backed up first: its "SENSORIX 62:NENTRY?" and
    // the table of "CALC? 2" come before "CALC 2".
    OperationRow backup{
        "curve download backup",    OnLine | NeedsInputFile,       LineTransports, 25,
        RunCurveDownloadWithBackup, {{"corrupt", Expect::Bounded}}};
    backup.input = download.input;
    backup.transcript = true;
    backup.checkFiles = BackupsWhole;
    rows.push_back(backup);

    OperationRow upload{
        "curve upload", OnLine | NeedsOutputFile, LineTransports, 15, RunCurveUpload, {}};
    upload.outputName = "user2.crv";
    upload.checkFiles = EarlierFileKept;
    rows.push_back(upload);

    // "*IDN?", then "PIDT 1:table", three lines and ";".
    OperationRow pidDownload{
        "PID download", OnLine | NeedsInputFile, LineTransports, 6, RunPidDownload, {}};
    pidDownload.input = InputFile{"zones.pid", ZonesTable};
    pidDownload.transcript = true;
    rows.push_back(pidDownload);

    // "PIDT 1:NENT?" and the table of "PIDT 1:TABLE?" (about 150 bytes:
    // trickled, as long as ten RS232 exchanges).
    // The middle of the table is the range word of an entry, free text.
    OperationRow pidUpload{"PID upload", OnLine | NeedsOutputFile,        LineTransports, 12,
                           RunPidUpload, {{"corrupt@2", Expect::Bounded}}};
    pidUpload.outputName = "table1.pid";
    pidUpload.checkFiles = EarlierFileKept;
    rows.push_back(pidUpload);
    return rows;
}

} // namespace faults
