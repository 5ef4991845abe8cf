#include "cli/TransferCommands.h"

#include "app/CoreTransfer.h"
#include "app/VantorCore.h"
#include "base/GivenFiles.h"
#include "cli/CliUi.h"
#include "cli/ExitStatus.h"
#include "curves/DownloadCurve.h"
#include "curves/DownloadPIDTable.h"
#include "curves/GivenCurveHeader.h"
#include "curves/GivenTableNumbers.h"
#include "curves/TransferContext.h"
#include "curves/UploadCurve.h"
#include "curves/UploadPIDTable.h"

namespace {

int ExitStatus(TransferOutcome outcome) {
    switch (outcome) {
    case TransferOutcome::Done:
        return 0;
    case TransferOutcome::Busy:
        ReportLinkBusy();
        return ExitFailed;
    default:
        return ExitFailed;
    }
}

// Runs one transfer with the dialogs answered as given.
TransferOutcome Run(TransferOutcome (*transfer)(const TransferContext&), CVantorCore& core,
                    CCliUi& ui, const std::string& file, ICurveHeaderDialog& header,
                    ITableNumberDialogs& numbers, const CurveTransferOptions& options = {}) {
    CGivenFiles files(file);
    return transfer(CoreTransferContext(core, {ui, ui, ui, files, header, numbers}, options));
}

bool IsUserCurve(int curve) {
    return curve >= 1 && curve <= ITableNumberDialogs::UserCurves;
}

} // namespace

int RunCurveDownload(CVantorCore& core, CCliUi& ui, const CurveDownloadOptions& options) {
    if (!IsUserCurve(options.curve))
        return Usage("curve download", "--curve: a user curve from 1 to 8");
    CGivenCurveHeader header;
    if (const std::string refusal = GiveCurveHeader(options.header, header); !refusal.empty())
        return Usage("curve download", refusal);
    CGivenTableNumbers numbers;
    numbers.userCurve = options.curve;
    CurveTransferOptions transfer;
    transfer.verifyAfterDownload = options.verify;
    transfer.backupBeforeDownload = options.backupFolder.has_value();
    transfer.backupFolder = options.backupFolder.value_or("");
    if (transfer.backupBeforeDownload && transfer.backupFolder.empty())
        return Usage("curve download", "--backup: a folder");
    return ExitStatus(Run(DownloadCurve, core, ui, options.file, header, numbers, transfer));
}

int RunCurveUpload(CVantorCore& core, CCliUi& ui, int curve, const std::string& file) {
    if (!IsUserCurve(curve))
        return Usage("curve upload", "N: a user curve from 1 to 8");
    CGivenCurveHeader header;
    CGivenTableNumbers numbers;
    numbers.userCurve = curve;
    return ExitStatus(Run(UploadCurve, core, ui, file, header, numbers));
}

int RunPidDownload(CVantorCore& core, CCliUi& ui, const std::string& file, int table) {
    CGivenCurveHeader header;
    CGivenTableNumbers numbers;
    numbers.pidTable = table;
    return ExitStatus(Run(DownloadPIDTable, core, ui, file, header, numbers));
}

int RunPidUpload(CVantorCore& core, CCliUi& ui, int table, const std::string& file) {
    CGivenCurveHeader header;
    CGivenTableNumbers numbers;
    numbers.pidTable = table;
    return ExitStatus(Run(UploadPIDTable, core, ui, file, header, numbers));
}
