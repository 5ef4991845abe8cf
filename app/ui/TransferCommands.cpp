#include "app/ui/TransferCommands.h"

#include "app/VantorCore.h"
#include "app/ui/VantorView.h"
#include "base/ui/FileChooser.h"
#include "curves/DownloadCurve.h"
#include "curves/DownloadPIDTable.h"
#include "curves/TransferContext.h"
#include "curves/UploadCurve.h"
#include "curves/UploadPIDTable.h"
#include "curves/dialogs/CurveHeaderDialog.h"
#include "curves/dialogs/TableNumberDialogs.h"

void RunTransferCommand(MenuCommand command, CVantorView& view) {
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
    CVantorCore& core = view.Core();
    CFileChooser files(&view);
    CCurveHeaderDialog header(view.MessageBoxes(), &view);
    CTableNumberDialogs numbers(view.MessageBoxes(), &view);
    const TransferContext context{core.Link(),
                                  core.TransactionMutex(),
                                  view.MessageBoxes(),
                                  view,
                                  view.TransferProgress(),
                                  files,
                                  header,
                                  numbers,
                                  [&core] { core.ShowRS232Hints(); },
                                  LoadCurveTransferOptions(core.Settings())};
    transfer(context);
}
