#include "cli/DatalogCommands.h"

#include <cstdio>
#include <filesystem>

#include "app/VantorCore.h"
#include "cli/CliUi.h"
#include "cli/GivenFile.h"
#include "logging/DatalogUpload.h"

int RunDatalogUpload(CVantorCore& core, CCliUi& ui, const std::string& fileName) {
    ui.SetLogStream(stdout);
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(fileName, error);
    CGivenFile file(error ? fileName : full.string());
    const DatalogUploadContext context{core.Link(), core.TransactionMutex(),           ui, ui,
                                       file,        [&core] { core.ShowRS232Hints(); }};
    const DatalogUploadOutcome outcome = UploadDatalog(context);
    if (outcome == DatalogUploadOutcome::Busy)
        std::fprintf(stderr, "tundrix-cli: the link is busy\n");
    return outcome == DatalogUploadOutcome::Uploaded ? 0 : 1;
}
