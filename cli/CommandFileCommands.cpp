#include "cli/CommandFileCommands.h"

#include <cstdio>
#include <filesystem>

#include "app/VantorCore.h"
#include "cli/CliUi.h"
#include "cli/GivenFile.h"
#include "cmdfile/CommandFileRunner.h"
#include "cmdfile/StandardOutput.h"

int RunCommandFile(CVantorCore& core, CCliUi& ui, const std::string& fileName,
                   const std::string& errorLogPath) {
    ui.SetLogStream(stdout);
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(fileName, error);
    CGivenFile file(error ? fileName : full.string());
    CStandardOutput standardOutput;
    CommandFileContext context{core.Link(), core.TransactionMutex(), ui, standardOutput, file};
    context.errorLogPath = errorLogPath;
    const CommandFileResult result = CCommandFileRunner(context).Run();
    return result.outcome == CommandFileOutcome::Completed ? 0 : 1;
}
