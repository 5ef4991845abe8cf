#include "app/CoreTransfer.h"

#include "app/VantorCore.h"

TransferContext CoreTransferContext(CVantorCore& core, const TransferUi& ui,
                                    const CurveTransferOptions& options) {
    return {core.Link(),
            core.TransactionMutex(),
            ui.boxes,
            ui.log,
            ui.progress,
            ui.files,
            ui.curveHeader,
            ui.tableNumbers,
            [&core] { core.ShowRS232Hints(); },
            options};
}
