#include "curves/UploadPIDTable.h"

#include <mutex>

#include "base/FileChooser.h"
#include "base/ProposedFileName.h"
#include "base/TransactionMutex.h"
#include "base/UserInterface.h"
#include "comm/CommLink.h"
#include "comm/ReplyShapes.h"
#include "curves/PidTableFile.h"
#include "curves/TableNumberDialogs.h"
#include "curves/TransferContext.h"
#include "curves/TransferSteps.h"

TransferOutcome UploadPIDTable(const TransferContext& context) {
    std::unique_lock lock(context.transactionMutex, std::defer_lock);
    if (!lock.try_lock_for(TransactionLockWait))
        return TransferOutcome::Busy;

    const auto table = context.tableNumbers.AskPIDTableNumber();
    if (!table)
        return TransferOutcome::Cancelled;
    // Asked once the table is chosen, so that the dialog can propose its number.
    context.files.ProposeSaveName(ProposedFileName("PIDTable" + std::to_string(*table), "pid"));
    const auto fileName = context.files.ChooseSaveFile("pid", "PID Table Files (*.pid)|*.pid||");
    if (!fileName)
        return TransferOutcome::Cancelled;
    // A title line, then entries of the ".pid" layout.
    static constexpr TableShape Pid{1, IsPidEntry, "a PID table entry"};
    const std::string prefix = "PIDT " + std::to_string(*table);
    const auto read = ReadAnnouncedTable(
        context, prefix + ":NENT?", prefix + ":TABLE?", Pid, std::chrono::milliseconds(0),
        Format("Uploading from PID table %d. Please wait...", *table));
    if (!read)
        return TransferOutcome::CommunicationFailed;
    // Entries are counted, not lines or reads: a table that downloads comes
    // back whole on every transport.
    if (read->entries > PidTableFile::MaxEntries) {
        context.boxes.ShowMessage("PID table entry is too long.", MessageIcon::Stop);
        context.log.AppendLog("PID table entry is too long.\n");
        return TransferOutcome::TooLong;
    }
    if (!SaveUploadedTable(context, *fileName, read->text,
                           Format("PID Table %d is uploaded to %s\n", *table, *fileName)))
        return TransferOutcome::WriteFailed;
    return TransferOutcome::Done;
}
