#include "curves/UploadPIDTable.h"

#include <mutex>

#include "base/FileChooser.h"
#include "base/ProposedFileName.h"
#include "base/TransactionMutex.h"
#include "base/UserInterface.h"
#include "comm/CommLink.h"
#include "curves/TableNumberDialogs.h"
#include "curves/TransferContext.h"
#include "curves/TransferSteps.h"

namespace {

// A table read with more lines than this is refused.
constexpr int MaxTableLines = 16;

} // namespace

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
    const std::string prefix = "PIDT " + std::to_string(*table);
    std::string reply;
    if (context.link.Query(prefix + ":NENT?", reply) != Link::Success) {
        ShowCommunicationError(context);
        return TransferOutcome::CommunicationFailed;
    }
    const int expected = LeadingCount(reply);
    const std::string read = prefix + ":TABLE?";
    std::string text;
    const LinkResult lines = context.link.ReadTable(
        expected, Format("Uploading from PID table %d. Please wait...", *table), &read, &text);
    if (lines > MaxTableLines) {
        context.boxes.ShowMessage("PID table entry is too long.", MessageIcon::Stop);
        context.log.AppendLog("PID table entry is too long.\n");
        return TransferOutcome::TooLong;
    }
    // A table has its title line at least: over GPIB a lone ";" ends it at once.
    if (lines < 0 || text.empty()) {
        ShowConnectionFailed(context);
        return TransferOutcome::CommunicationFailed;
    }
    if (!SaveUploadedTable(context, *fileName, text,
                           Format("PID Table %d is uploaded to %s\n", *table, *fileName)))
        return TransferOutcome::WriteFailed;
    return TransferOutcome::Done;
}
