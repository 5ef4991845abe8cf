#include "curves/DownloadPIDTable.h"

#include <mutex>

#include "base/FileChooser.h"
#include "base/TransactionMutex.h"
#include "base/UserInterface.h"
#include "comm/CommLink.h"
#include "curves/PidTableFile.h"
#include "curves/TableNumberDialogs.h"
#include "curves/TransferContext.h"
#include "curves/TransferSteps.h"

namespace {

// Shows why the file is refused; false when it is.
bool Accepted(const TransferContext& context, const PidTableFile& file,
              const std::string& fileName) {
    const char* box = nullptr;
    std::string log;
    switch (file.check) {
    case PidTableFile::Check::Ok:
        return true;
    case PidTableFile::Check::ReadError:
        box = "File Read Error";
        log = "File Read Error in " + fileName + " file";
        break;
    case PidTableFile::Check::SyntaxError:
        box = "Syntax Error";
        log = "Syntax error in " + fileName + " file";
        break;
    case PidTableFile::Check::NoEntry:
        box = "No table entry";
        log = "No table entry in " + fileName + " file";
        break;
    case PidTableFile::Check::TooManyEntries:
        box = "More than 16 entries";
        log = "More than 16 PID table entries in " + fileName + " file";
        break;
    }
    // What the check found beyond its outcome (the control character, the
    // kind of file) follows the line: the box alone does not say it.
    if (!file.reason.empty())
        log += ": " + file.reason;
    context.boxes.ShowMessage(box, MessageIcon::Stop);
    context.log.AppendLog(log + "\n");
    return false;
}

} // namespace

TransferOutcome DownloadPIDTable(const TransferContext& context) {
    std::unique_lock lock(context.transactionMutex, std::defer_lock);
    if (!lock.try_lock_for(TransactionLockWait))
        return TransferOutcome::Busy;

    const auto fileName =
        context.files.ChooseOpenFile("pid", "PID Table Files (*.pid)|*.pid|All Files (*.*)|*.*||");
    if (!fileName)
        return TransferOutcome::Cancelled;
    const auto table = context.tableNumbers.AskPIDTableNumber();
    if (!table)
        return TransferOutcome::Cancelled;
    const PidTableFile file = CheckPidFile(*fileName);
    if (!Accepted(context, file, *fileName))
        return TransferOutcome::FileRefused;
    // An instrument that does not answer is not there to take the table.
    std::string identity;
    if (context.link.Query("*IDN?", identity) != Link::Success) {
        ShowCommunicationError(context);
        return TransferOutcome::CommunicationFailed;
    }

    context.progress.OpenProgress(Format("Downloading to PID Table %d. Please wait...", *table));
    const std::string prefix = "PIDT " + std::to_string(*table);
    // Not logged; a line the instrument did not take fails the download all the same.
    bool errors = context.link.Transact(prefix + ":table", nullptr) != Link::Success;
    for (std::size_t i = 0; i < file.lines.size(); ++i) {
        const bool failed = context.link.Transact(file.lines[i], nullptr) != Link::Success;
        errors = errors || failed;
        context.log.AppendLog(file.lines[i] + (failed ? " **ERROR**\n" : "\n"));
        // The first line is the title; the bar counts the entries.
        if (i > 0)
            context.progress.SetProgress(static_cast<int>(i) * 100 / file.entries);
    }
    const bool closed = context.link.Transact(std::string(";"), nullptr) == Link::Success;
    context.log.AppendLog(closed ? ";\n" : "; **ERROR**\n");
    errors = errors || !closed;
    // What the instrument now holds.
    if (!ConfirmEntries(context, prefix + ":NENT?", file.entries, Format("PID Table %d", *table))) {
        context.progress.CloseProgress();
        context.boxes.ShowMessage(SendErrorText, MessageIcon::Stop);
        return TransferOutcome::NotConfirmed;
    }
    context.boxes.ShowMessage("Download Complete", MessageIcon::Information);
    context.log.AppendLog(Format("PID Table %d is downloaded from %s\n", *table, *fileName));
    context.progress.CloseProgress();
    if (errors) {
        context.boxes.ShowMessage(SendErrorText, MessageIcon::Stop);
        return TransferOutcome::SendErrors;
    }
    return TransferOutcome::Done;
}
