#include "app/ui/DatalogUploadCommand.h"

#include "app/VantorCore.h"
#include "app/ui/OperationContext.h"
#include "base/ui/FileChooser.h"
#include "logging/DatalogUpload.h"

void UploadInternalDatalog(const OperationContext& view) {
    CVantorCore& core = view.core;
    CFileChooser files(view.dialogParent);
    UploadDatalog({core.Link(), core.TransactionMutex(), view.boxes, view.log, files,
                   [&core] { core.ShowRS232Hints(); }});
}
