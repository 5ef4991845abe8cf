#include "cli/CommandFileCommands.h"

#include <cstdio>

#include "app/VantorCore.h"
#include "base/AbsolutePath.h"
#include "base/GivenFiles.h"
#include "cli/CliUi.h"
#include "cli/ExitStatus.h"
#include "cmdfile/CommandFileRunner.h"
#include "cmdfile/StandardOutput.h"

int RunCommandFile(CVantorCore& core, CCliUi& ui, const std::string& fileName,
                   const std::string& errorLogPath) {
    ui.SetLogStream(stdout);
    CGivenFiles file(AbsolutePath(fileName));
    CStandardOutput standardOutput;
    CommandFileContext context{core.Link(), core.TransactionMutex(), ui, standardOutput, file};
    context.errorLogPath = errorLogPath;
    const CommandFileResult result = CCommandFileRunner(context).Run();
    if (result.outcome != CommandFileOutcome::Completed)
        return ExitFailed;
    return result.errors == 0 ? 0 : ExitChecksFailed;
}
