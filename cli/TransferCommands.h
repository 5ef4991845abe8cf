#pragma once

#include <optional>
#include <string>

#include "cli/CurveHeaderOptions.h"

class CCliUi;
class CVantorCore;

// The transfer subcommands of tundrix-cli: curves and PID tables between files
// and the instrument, as the GUI's menu commands run them, with the dialogs
// answered by the command line. The log goes to standard output, the boxes to
// standard error. Each returns the exit status: 0 success, 1 any failure
// (refused file, failed exchange, a line marked " **ERROR**", a file not
// written, a curve that does not read back as sent), 2 bad usage.

struct CurveDownloadOptions {
    std::string file;
    int curve = 0; // user curve 1..8
    CurveHeaderOptions header;
    bool verify = false;
    std::optional<std::string> backupFolder;
};

int RunCurveDownload(CVantorCore& core, CCliUi& ui, const CurveDownloadOptions& options);
int RunCurveUpload(CVantorCore& core, CCliUi& ui, int curve, const std::string& file);
int RunPidDownload(CVantorCore& core, CCliUi& ui, const std::string& file, int table);
int RunPidUpload(CVantorCore& core, CCliUi& ui, int table, const std::string& file);
