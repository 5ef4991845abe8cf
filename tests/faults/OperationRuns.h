#pragma once

// What the rows of OperationRows.cpp, TransferRows.cpp, LoggingRows.cpp and
// CommandFileRows.cpp share: an operation run through the CLI program or
// in-process on the utility's core, and the files they leave.

#include <string>
#include <vector>

#include "app/VantorCore.h"
#include "base/SettingsStore.h"
#include "faults/FaultTable.h"
#include "support/ScriptedDialogs.h"
#include "support/TestUi.h"
#include "support/WholeFile.h"

namespace faults {

// A CLI run as a result: exit 0 is success; anything on standard error is
// what the user was told.
Result FromProgram(const ProgramResult& run);

// The utility's core on the cell's settings file, its dialogs answered with
// the simulator's addresses, as the GUI would run it.
struct InProcess {
    explicit InProcess(const Cell& cell);
    // Over LAN, the connection "Connect" makes before any operation can start.
    void ConnectLan(const Cell& cell);
    // What the user saw, and whether the mutex is free.
    Result Finish(bool succeeded, std::string output);

    CSettingsStore settings;
    TestUi ui;
    ScriptedDialogs dialogs;
    CVantorCore core{settings, ui, ui, ui, CellTimeouts()};
};

// The file's bytes when `path` is a regular file (through a symbolic link);
// "" otherwise: a FIFO or a device is never opened.
std::string RegularFileText(const std::string& path);

// The lines the simulator received, once `lastLine` has come (bounded: what
// has come after two seconds).
std::string TranscriptUntil(const Cell& cell, const std::string& lastLine);

// Every run of digits as "#": readings and times that move from run to run
// leave the shape of what was written.
std::string MaskDigits(const std::string& text);

// In line cells, the file at the output path is the user's earlier file,
// byte for byte, or, after a success, what the operation wrote: never a
// partial one, and no temporary file is left beside it.
void EarlierFileKept(const Cell& cell, const Result& result);
// No temporary file of an atomic write is left in the cell's folder.
void NoTemporaryFiles(const Cell& cell);

std::vector<OperationRow> TransferRows();
std::vector<OperationRow> LoggingRows();
std::vector<OperationRow> CommandFileRows();

} // namespace faults
