#include "cli/CurveHeaderOptions.h"

#include <CLI/CLI.hpp>

void AddCurveHeaderOptions(CLI::App& command, CurveHeaderOptions& options) {
    command.add_option("--name", options.name, "sensor name");
    command.add_option("--type", options.type, "sensor type");
    command.add_option("--multiplier", options.multiplier, "curve multiplier");
    command.add_option("--unit", options.unit, "Volts, mVolts, Ohms or LogOhms");
}
