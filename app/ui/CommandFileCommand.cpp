#include "app/ui/CommandFileCommand.h"

#include "app/VantorCore.h"
#include "app/ui/OperationContext.h"
#include "base/ui/FileChooser.h"
#include "cmdfile/CommandFileRunner.h"
#include "cmdfile/StandardOutput.h"

void SendCommandFile(const OperationContext& view) {
    CVantorCore& core = view.core;
    CFileChooser files(view.dialogParent);
    CStandardOutput standardOutput;
    CCommandFileRunner({core.Link(), core.TransactionMutex(), view.log, standardOutput, files})
        .Run();
}
