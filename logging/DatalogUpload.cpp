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
#include "comm/ConnectionFailedBox.h"
#include "comm/ReplyShapes.h"

namespace {

constexpr const char* CommunicationErrorText = "Communication Error";

void CommunicationError(const DatalogUploadContext& context) {
    context.boxes.ShowMessage(CommunicationErrorText, MessageIcon::Stop);
    if (context.showRS232Hints)
        context.showRS232Hints();
}

} // namespace

bool IsDatalogRecord(std::string_view line) {
    int fields = 0;
    for (std::size_t start = 0;; ++fields) {
        const std::size_t comma = line.find(',', start);
        if (!FieldNumber(line.substr(start, comma - start)))
            return false;
        if (comma == std::string_view::npos)
            return fields >= 1;
        start = comma + 1;
    }
}

namespace {

// The state of the instrument's own logging as it answers "DLog:State?",
// asked once more when the first answer cannot be read.
std::optional<std::string> ReadLoggingState(CCommLink& link) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::string reply;
        if (link.Query("DLog:State?", reply) != Link::Success)
            continue;
        if (auto state = ParseState(reply))
            return state;
        link.RefuseReply("reply to \"DLog:State?\" is not a state: \"" +
                         std::string(WithoutLineEnd(reply)) + "\"");
    }
    return std::nullopt;
}

// Puts the instrument's logging back as it was found, and reads it back.
// When that fails and it was logging, the user is told plainly that it is not.
bool RestoreLoggingState(const DatalogUploadContext& context, const std::string& state) {
    CCommLink& link = context.link;
    const bool restored = link.Transact("DLog:State " + state, nullptr) == Link::Success &&
                          ReadLoggingState(link) == state;
    if (!restored && state == "on") {
        CommunicationError(context);
        context.log.AppendLog(
            "The instrument's internal data log could not be switched back on: it is off.\n");
    }
    return restored || state == "off";
}

} // namespace

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

    // Made before the instrument is touched, so that a file that cannot be
    // made never pauses its logging; renamed into place only once the table
    // is in, so that a failed read leaves an earlier file of that name as it was.
    CAtomicFile file(*fileName);
    std::string fileError;
    if (!file.Create(&fileError)) {
        context.log.AppendLog(fileError + "\n");
        context.boxes.ShowMessage("Failed to create file.", MessageIcon::Stop);
        return DatalogUploadOutcome::FileNotCreated;
    }

    const std::optional<std::string> state = ReadLoggingState(link);
    if (!state) {
        CommunicationError(context);
        return DatalogUploadOutcome::StateFailed;
    }
    const LinkTimeouts& waits = link.Timeouts();
    SleepPumped(waits.datalogCommandWait);
    std::optional<int> records;
    if (link.Transact("DLog:State off", nullptr) == Link::Success) {
        SleepPumped(waits.datalogCommandWait);
        std::string countReply;
        if (link.Query("DLog:Count?", countReply) == Link::Success) {
            records = ParseCount(countReply);
            if (!records)
                link.RefuseReply("reply to \"DLog:Count?\" is not a count: \"" +
                                 std::string(WithoutLineEnd(countReply)) + "\"");
        }
    }
    if (!records) {
        CommunicationError(context);
        RestoreLoggingState(context, *state);
        return DatalogUploadOutcome::StateFailed;
    }

    // Four lines of its own, then a record a line.
    static constexpr TableShape Datalog{4, IsDatalogRecord, "a record"};
    DatalogUploadOutcome outcome = DatalogUploadOutcome::Uploaded;
    const std::string command = "DLog:Read?";
    std::string table;
    std::string why;
    const bool read = link.ReadTable(*records, "Uploading Internal DataLog. Please wait...",
                                     &command, &table) >= 0;
    if (read && !CheckTable(command, table, *records, Datalog, why))
        link.RefuseReply(why);
    if (!read || !why.empty()) {
        file.Discard();
        ShowConnectionFailedBox(context.boxes);
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

    if (!RestoreLoggingState(context, *state) && outcome == DatalogUploadOutcome::Uploaded)
        outcome = DatalogUploadOutcome::RestoreFailed;
    return outcome;
}
