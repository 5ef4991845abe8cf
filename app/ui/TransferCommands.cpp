#include "app/ui/TransferCommands.h"

#include "app/CoreTransfer.h"
#include "app/VantorCore.h"
#include "app/ui/OperationContext.h"
#include "base/ui/FileChooser.h"
#include "curves/DownloadCurve.h"
#include "curves/DownloadPIDTable.h"
#include "curves/TransferContext.h"
#include "curves/UploadCurve.h"
#include "curves/UploadPIDTable.h"
#include "curves/dialogs/CurveHeaderDialog.h"
#include "curves/dialogs/TableNumberDialogs.h"

namespace {

// Runs `transfer` with a context over the view: the real dialogs, the view's
// boxes, log and progress box, and the user options as stored.
template <typename Transfer>
void WithTransferContext(const OperationContext& view, Transfer transfer) {
    CVantorCore& core = view.core;
    CFileChooser files(view.dialogParent);
    CCurveHeaderDialog header(view.boxes, view.dialogParent);
    CTableNumberDialogs numbers(view.boxes, view.dialogParent);
    transfer(CoreTransferContext(core,
                                 {view.boxes, view.log, view.progress, files, header, numbers},
                                 LoadCurveTransferOptions(core.Settings())));
}

} // namespace

void RunTransferCommand(MenuCommand command, const OperationContext& view) {
    TransferOutcome (*transfer)(const TransferContext&) = nullptr;
    switch (command) {
    case MenuCommand::CurveDownload:
        transfer = DownloadCurve;
        break;
    case MenuCommand::CurveUpload:
        transfer = UploadCurve;
        break;
    case MenuCommand::PidDownload:
        transfer = DownloadPIDTable;
        break;
    case MenuCommand::PidUpload:
        transfer = UploadPIDTable;
        break;
    default:
        return;
    }
    WithTransferContext(view, transfer);
}

void DownloadMadeCurve(const OperationContext& view, const SensorCurve& curve,
                       const std::string& name) {
    WithTransferContext(
        view, [&](const TransferContext& context) { DownloadGivenCurve(context, curve, name); });
}
