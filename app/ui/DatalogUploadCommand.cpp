#include "app/ui/DatalogUploadCommand.h"

#include "app/VantorCore.h"
#include "app/ui/VantorView.h"
#include "base/ui/FileChooser.h"
#include "logging/DatalogUpload.h"

void UploadInternalDatalog(CVantorView& view) {
    CVantorCore& core = view.Core();
    CFileChooser files(&view);
    UploadDatalog({core.Link(), core.TransactionMutex(), view.MessageBoxes(), view, files,
                   [&core] { core.ShowRS232Hints(); }});
}
