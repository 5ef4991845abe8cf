#pragma once

#include <optional>
#include <string>

class CSettingsStore;
class CVantorCore;

// The subcommands that talk to the instrument: choosing the port, query,
// send, identify and terminal. Each returns the program's exit status: 0
// success, 1 a transaction failed, 2 bad usage or resource.

// Opens the port named by --port (`port` given), else the one of the
// settings (app/InstrumentPort.h). 0 or an exit status.
int OpenPort(CVantorCore& core, CSettingsStore& settings, const std::optional<std::string>& port);

int RunQuery(CVantorCore& core, const std::string& command);
int RunSend(CVantorCore& core, const std::string& command);
int RunIdentify(CVantorCore& core);
// One transaction per line of standard input, logged as the utility's terminal
// logs; stops at the first failure that lost the connection.
int RunTerminal(CVantorCore& core);
