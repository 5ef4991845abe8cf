#pragma once

#include <optional>
#include <string>
#include <vector>

#include "server/ServeOptions.h"

class CVantorCore;

// tundrix-cli serve: the instrument shared on a TCP socket until SIGINT or SIGTERM.
struct ServeCommandOptions {
    std::optional<std::string> listen;
    std::vector<std::string> allow;
    bool readOnly = false;
    std::optional<std::string> maxClientsText;
    std::optional<std::string> idleText;
    ServeOptions parsed; // filled in by CheckServeOptions
};

// The refusal of the options as given, or "" with `options.parsed` filled in.
std::string CheckServeOptions(ServeCommandOptions& options);
// Identifies the instrument, then serves it, its notes in the message log
// (standard output); 0 after a signal ended it.
int RunServe(CVantorCore& core, const ServeOptions& options);
