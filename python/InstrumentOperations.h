#pragma once

#include <memory>
#include <optional>
#include <string>

#include <pybind11/pybind11.h>

#include "curves/TransferOutcome.h"

class CInstrument;
class CLogRows;
class ITableNumberDialogs;
struct CurveTransferOptions;
struct TransferContext;

// The operations of tundrix.Instrument, as tundrix-cli runs them: each
// raises the module's exceptions with the CLI's messages and releases the GIL
// while it waits on the instrument.

// "query" or "send" (`what`): the reply exactly as received.
std::string Transaction(CInstrument& instrument, const char* what, const std::string& command,
                        bool readReply);
// A curve or PID table transfer with its dialogs answered as given; raises on
// any outcome but Done.
void Transfer(CInstrument& instrument, TransferOutcome (*transfer)(const TransferContext&),
              const std::string& file, ITableNumberDialogs& numbers,
              const CurveTransferOptions& options);
// RefusedError for a number outside the user curves 1..8.
void CheckUserCurve(int number);
// A value as the instrument wrote it: a float when it is a number, else the text.
pybind11::object ReadingValue(const std::string& text);
std::unique_ptr<CLogRows> StartLog(CInstrument& instrument, const pybind11::object& sources,
                                   double interval, std::optional<int> count,
                                   std::optional<double> duration, std::optional<std::string> path,
                                   bool preciseTime);
pybind11::dict Monitor(CInstrument& instrument, const std::string& name);
void UploadDataLog(CInstrument& instrument, const std::string& path);

// What run_commands gives back.
struct CommandRun {
    int errors = 0;
    std::string errorLog;
};
CommandRun RunCommands(CInstrument& instrument, const std::string& path,
                       const std::string& errorLog);

// The bytes of a file the module wrote, as text.
std::string ReadWhole(const std::string& path);
