#include "curves/DownloadCurve.h"

#include <filesystem>
#include <mutex>

#include "base/DecimalText.h"
#include "base/FileChooser.h"
#include "base/TransactionMutex.h"
#include "base/UserInterface.h"
#include "comm/CommLink.h"
#include "curves/BackupUserCurve.h"
#include "curves/CurveHeaderDialog.h"
#include "curves/ListCurveErrors.h"
#include "curves/ReadColonCurveFile.h"
#include "curves/ReadCrvFile.h"
#include "curves/TransferContext.h"
#include "curves/TransferSteps.h"
#include "curves/UserCurveQueries.h"
#include "curves/VerifyUserCurve.h"
#include "curves/WriteCrvFile.h"

namespace {

constexpr int MinPoints = 4;

// The curve to send, read with the reader the name selects; false when the
// file is refused, with the messages shown.
bool ReadCurveToSend(const TransferContext& context, const std::string& fileName,
                     SensorCurve& curve) {
    const CurveReadResult result = IsCrvName(fileName)
                                       ? ReadCrvFile(fileName, curve, context.log)
                                       : ReadColonCurveFile(fileName, curve, context.log);
    switch (result) {
    case CurveRead::Success:
        if (curve.count >= MinPoints)
            return true;
        context.boxes.ShowMessage("Not enough points to form a curve", MessageIcon::Stop);
        context.log.AppendLog("Not enough points in " + fileName + " file\n");
        return false;
    case CurveRead::FormatError:
        context.boxes.ShowMessage(
            "Error detected informat. Correct indicated error and then try again.",
            MessageIcon::Stop);
        ListCurveErrors(curve, context.log);
        return false;
    case CurveRead::NoFileName:
        context.log.AppendLog("No File Name provided\n");
        return false;
    case CurveRead::CannotOpen:
        context.log.AppendLog("Cannot open input file\n");
        return false;
    case CurveRead::StreamFailed:
        // Opened but unreadable (a folder, an I/O error): said, never a silent end.
        context.log.AppendLog("Cannot read input file " + fileName + "\n");
        return false;
    default:
        return false;
    }
}

// The header dialog; the accepted header goes into the curve, and a ".crv"
// copy is saved when asked for. False on "Abort".
bool ReviewHeader(const TransferContext& context, const std::string& fileName, SensorCurve& curve) {
    CurveHeader header;
    if (!ReviewCurveHeader(context.curveHeader, fileName, curve, header))
        return false;
    // A copy that cannot be written says so in its own box; the download goes on.
    if (header.saveAsCrv) {
        context.files.ProposeSaveName(CrvCopyName(curve, fileName));
        WriteCrvFile(curve, context.files, context.boxes);
    }
    return true;
}

std::string BackupFolder(const TransferContext& context, const std::string& fileName) {
    if (!context.options.backupFolder.empty())
        return context.options.backupFolder;
    const std::filesystem::path folder = std::filesystem::path(fileName).parent_path();
    return folder.empty() ? std::string(".") : folder.string();
}

TransferOutcome SendToUserCurve(const TransferContext& context, const std::string& fileName,
                                SensorCurve& curve);

} // namespace

CurveSent SendCurve(CCommLink& link, IMessageLog& log, ITransferProgress& progress, int curve,
                    const SensorCurve& sensorCurve) {
    CurveSent sent;
    progress.OpenProgress(Format("Downloading to User Curve %d. Please wait...", curve));
    const std::string open = "CALC " + std::to_string(curve);
    // Not logged; a line the instrument did not take fails the download all the same.
    sent.errors = link.Transact(open, nullptr) != Link::Success;
    sent.bytes += open.size() + 1;

    auto send = [&](std::string line) {
        const bool failed = link.Transact(line, nullptr) != Link::Success;
        sent.bytes += line.size() + 1;
        log.AppendLog(line + (failed ? " **ERROR**\n" : "\n"));
        sent.errors = sent.errors || failed;
        sent.lines.push_back(std::move(line));
    };
    send(sensorCurve.name);
    send(sensorCurve.type);
    send(FormatDecimal(sensorCurve.multiplier, 6));
    send(sensorCurve.unitText);
    const int count = std::min(sensorCurve.count, SensorCurve::MaxEntries);
    for (int i = 0; i < count; ++i) {
        const CurveEntry& entry = sensorCurve.entries[static_cast<std::size_t>(i)];
        send(FormatDecimal(entry.value, 6) + "     " + FormatDecimal(entry.temperature, 6));
        progress.SetProgress(i * 100 / count);
    }
    const bool closed = link.Transact(std::string(";"), nullptr) == Link::Success;
    sent.bytes += 2;
    log.AppendLog(closed ? ";\n" : "; **ERROR**\n");
    sent.errors = sent.errors || !closed;
    sent.entries = count;
    return sent;
}

TransferOutcome DownloadCurve(const TransferContext& context) {
    std::unique_lock lock(context.transactionMutex, std::defer_lock);
    if (!lock.try_lock_for(TransactionLockWait))
        return TransferOutcome::Busy;

    const auto fileName = context.files.ChooseOpenFile(
        "crv", "Curve Files (.crv .340)|*.crv;*.340| All Files (*.*)|*.*||");
    if (!fileName)
        return TransferOutcome::Cancelled;
    SensorCurve curve;
    if (!ReadCurveToSend(context, *fileName, curve))
        return TransferOutcome::FileRefused;
    return SendToUserCurve(context, *fileName, curve);
}

TransferOutcome DownloadGivenCurve(const TransferContext& context, SensorCurve curve,
                                   const std::string& sourceName) {
    std::unique_lock lock(context.transactionMutex, std::defer_lock);
    if (!lock.try_lock_for(TransactionLockWait))
        return TransferOutcome::Busy;
    return SendToUserCurve(context, sourceName, curve);
}

namespace {

// The download from the header dialog on, the transaction mutex held.
TransferOutcome SendToUserCurve(const TransferContext& context, const std::string& fileName,
                                SensorCurve& curve) {
    if (!ReviewHeader(context, fileName, curve))
        return TransferOutcome::Cancelled;

    const UserCurveChoice choice = ChooseUserCurve(context);
    if (!choice.curve)
        return choice.communicationFailed ? TransferOutcome::CommunicationFailed
                                          : TransferOutcome::Cancelled;
    const int n = *choice.curve;
    // An instrument that does not answer is not there to take the curve.
    std::string identity;
    if (context.link.Query("*IDN?", identity) != Link::Success) {
        ShowCommunicationError(context);
        return TransferOutcome::CommunicationFailed;
    }
    if (context.options.backupBeforeDownload &&
        !BackupUserCurve(context, n, BackupFolder(context, fileName))) {
        context.log.AppendLog(
            Format("User Curve %d is not downloaded: it could not be backed up first\n", n));
        return TransferOutcome::BackupFailed;
    }

    const CurveSent sent = SendCurve(context.link, context.log, context.progress, n, curve);
    // What the instrument now holds, whether or not "Verify" reads it all back.
    if (!ConfirmEntries(context,
                        "SENSORIX " + std::to_string(n + FirstUserCurveIndex - 1) + ":NENTRY?",
                        sent.entries, Format("User Curve %d", n))) {
        context.progress.CloseProgress();
        context.boxes.ShowMessage(SendErrorText, MessageIcon::Stop);
        return TransferOutcome::NotConfirmed;
    }
    context.boxes.ShowMessage("Download Complete", MessageIcon::Information);
    context.log.AppendLog(Format("User Curve %d is downloaded from %s\n", n, fileName));
    context.progress.CloseProgress();
    if (sent.errors)
        context.boxes.ShowMessage(SendErrorText, MessageIcon::Stop);

    if (context.options.verifyAfterDownload) {
        switch (VerifyUserCurve(context, n, sent.lines, LineTime(context.link, sent.bytes))) {
        case VerifyResult::Matches:
            break;
        case VerifyResult::Differs:
            return TransferOutcome::VerifyMismatch;
        case VerifyResult::NotRead:
            return TransferOutcome::CommunicationFailed;
        }
    }
    return sent.errors ? TransferOutcome::SendErrors : TransferOutcome::Done;
}

} // namespace
