#include "app/ui/CommandFileCommand.h"

#include "app/VantorCore.h"
#include "app/ui/VantorView.h"
#include "base/ui/FileChooser.h"
#include "cmdfile/CommandFileRunner.h"
#include "cmdfile/StandardOutput.h"

void SendCommandFile(CVantorView& view) {
    CVantorCore& core = view.Core();
    CFileChooser files(&view);
    CStandardOutput standardOutput;
    CCommandFileRunner({core.Link(), core.TransactionMutex(), view, standardOutput, files}).Run();
}
