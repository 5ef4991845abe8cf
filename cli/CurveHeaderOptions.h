#pragma once

#include "curves/CurveHeaderOptions.h"

namespace CLI {
class App;
}

// Adds --name, --type, --multiplier and --unit to a subcommand.
void AddCurveHeaderOptions(CLI::App& command, CurveHeaderOptions& options);
