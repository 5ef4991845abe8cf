#include "cli/DatalogCommands.h"

#include <cstdio>

#include "app/VantorCore.h"
#include "base/AbsolutePath.h"
#include "base/GivenFiles.h"
#include "cli/CliUi.h"
#include "cli/ExitStatus.h"
#include "logging/DatalogUpload.h"

int RunDatalogUpload(CVantorCore& core, CCliUi& ui, const std::string& fileName) {
    ui.SetLogStream(stdout);
    CGivenFiles file(AbsolutePath(fileName));
    const DatalogUploadContext context{core.Link(), core.TransactionMutex(),           ui, ui,
                                       file,        [&core] { core.ShowRS232Hints(); }};
    const DatalogUploadOutcome outcome = UploadDatalog(context);
    if (outcome == DatalogUploadOutcome::Busy)
        ReportLinkBusy();
    return outcome == DatalogUploadOutcome::Uploaded ? 0 : 1;
}
