#include "logging/DatalogUpload.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <ctime>
#include <mutex>
#include <optional>

#include "base/AtomicFile.h"
#include "base/BusyWait.h"
#include "base/DecimalText.h"
#include "base/FileChooser.h"
#include "base/ProposedFileName.h"
#include "base/TransactionMutex.h"
#include "base/UserInterface.h"
#include "comm/CommLink.h"
#include "comm/CommandLine.h"

namespace {

constexpr const char* CommunicationErrorText = "Communication Error";

void CommunicationError(const DatalogUploadContext& context) {
    context.boxes.ShowMessage(CommunicationErrorText, MessageIcon::Stop);
    if (context.showRS232Hints)
        context.showRS232Hints();
}

} // namespace

int ParseRecordCount(const std::string& reply) {
    return LeadingInteger(reply);
}

DatalogUploadOutcome UploadDatalog(const DatalogUploadContext& context) {
    std::unique_lock lock(context.transactionMutex, std::defer_lock);
    if (!lock.try_lock_for(TransactionLockWait))
        return DatalogUploadOutcome::Busy;
    CCommLink& link = context.link;

    std::string identity;
    // The reply's line end is no part of what is checked: ";" is an instrument
    // that answers without knowing the query.
    if (link.Query("*IDN?", identity) != Link::Success || WithoutLineEnd(identity) == ";") {
        CommunicationError(context);
        return DatalogUploadOutcome::NoInstrument;
    }

    // "InternalDataLog_20240501_143210.csv": each upload a name of its own.
    context.files.ProposeSaveName(
        TimestampedFileName("InternalDataLog", "csv", std::time(nullptr)));
    std::optional<std::string> fileName =
        context.files.ChooseSaveFile("csv", "MSExcel Comma Separated Value Files(*.csv)|*.csv||");
    if (!fileName)
        return DatalogUploadOutcome::Cancelled;

    std::string previousState;
    if (link.Query("DLog:State?", previousState) != Link::Success) {
        CommunicationError(context);
        return DatalogUploadOutcome::StateFailed;
    }
    std::string ignored;
    // The pauses between the state commands (LinkTimeouts::datalogCommandWait);
    // on the window's thread the windows keep painting through them.
    SleepPumped(link.Timeouts().datalogCommandWait);
    if (link.Transact("DLog:State off", &ignored) != Link::Success) {
        CommunicationError(context);
        return DatalogUploadOutcome::StateFailed;
    }
    std::string countReply;
    SleepPumped(link.Timeouts().datalogCommandWait);
    if (link.Query("DLog:Count?", countReply) != Link::Success) {
        CommunicationError(context);
        return DatalogUploadOutcome::StateFailed;
    }

    // Made now, so that a file that cannot be made is known before the long
    // read; renamed into place only once the table is in, so that a failed
    // read leaves an earlier file of that name as it was.
    CAtomicFile file(*fileName);
    std::string fileError;
    if (!file.Create(&fileError)) {
        context.log.AppendLog(fileError + "\n");
        context.boxes.ShowMessage("Failed to create file.", MessageIcon::Stop);
        return DatalogUploadOutcome::FileNotCreated;
    }

    DatalogUploadOutcome outcome = DatalogUploadOutcome::Uploaded;
    const std::string command = "DLog:Read?";
    std::string table;
    if (link.ReadTable(ParseRecordCount(countReply), "Uploading Internal DataLog. Please wait...",
                       &command, &table) < 0) {
        file.Discard();
        context.boxes.ShowMessage("Communication connection failed", MessageIcon::Information);
        if (context.showRS232Hints)
            context.showRS232Hints();
        outcome = DatalogUploadOutcome::ReadFailed;
    } else {
        table += '\n';
        if (file.Commit(table, &fileError)) {
            context.boxes.ShowMessage("Upload Complete", MessageIcon::Information);
            context.log.AppendLog(table);
            context.log.AppendLog("Internal DataLog is uploaded to " + *fileName + "\n");
        } else {
            // Written nowhere: not a complete upload.
            context.log.AppendLog(fileError + "\n");
            context.boxes.ShowMessage("Failed to create file.", MessageIcon::Stop);
            outcome = DatalogUploadOutcome::FileNotCreated;
        }
    }

    if (link.Transact("DLog:State " + previousState, &ignored) != Link::Success) {
        CommunicationError(context);
        if (outcome == DatalogUploadOutcome::Uploaded)
            outcome = DatalogUploadOutcome::RestoreFailed;
    }
    return outcome;
}
