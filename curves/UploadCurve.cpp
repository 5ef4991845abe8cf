#include "curves/UploadCurve.h"

#include <mutex>

#include "base/FileChooser.h"
#include "base/ProposedFileName.h"
#include "base/TransactionMutex.h"
#include "comm/CommLink.h"
#include "comm/CommandLine.h"
#include "curves/TransferContext.h"
#include "curves/TransferSteps.h"
#include "curves/UserCurveQueries.h"

TransferOutcome UploadCurve(const TransferContext& context) {
    std::unique_lock lock(context.transactionMutex, std::defer_lock);
    if (!lock.try_lock_for(TransactionLockWait))
        return TransferOutcome::Busy;

    // An instrument that answers nothing, or only ";", is not ready to send a curve.
    std::string identity;
    if (context.link.Query("*IDN?", identity) != Link::Success || WithoutLineEnd(identity) == ";") {
        ShowCommunicationError(context);
        return TransferOutcome::CommunicationFailed;
    }
    const UserCurveChoice choice = ChooseUserCurve(context);
    if (!choice.curve)
        return choice.communicationFailed ? TransferOutcome::CommunicationFailed
                                          : TransferOutcome::Cancelled;
    const int curve = *choice.curve;
    // Asked once the curve is chosen, so that the dialog can propose its number.
    context.files.ProposeSaveName(ProposedFileName("UserCurve" + std::to_string(curve), "crv"));
    const auto fileName = context.files.ChooseSaveFile("crv", "Curve Files (*.crv)|*.crv||");
    if (!fileName)
        return TransferOutcome::Cancelled;

    const auto table = ReadUserCurve(context, curve,
                                     Format("Uploading from User Curve %d. Please wait...", curve));
    if (!table)
        return TransferOutcome::CommunicationFailed;
    if (!SaveUploadedTable(context, *fileName, *table,
                           Format("User Curve %d is uploaded to %s\n", curve, *fileName)))
        return TransferOutcome::WriteFailed;
    return TransferOutcome::Done;
}
