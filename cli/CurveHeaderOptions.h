#pragma once

#include <optional>
#include <string>

namespace CLI {
class App;
}
class CGivenCurveHeader;

// The header fields a curve subcommand changes from what the file holds; the
// rest is accepted as read.
struct CurveHeaderOptions {
    std::optional<std::string> name;
    std::optional<std::string> type;
    std::optional<std::string> multiplier;
    std::optional<std::string> unit; // an entry of the unit list: Volts, mVolts, Ohms, LogOhms
};

// Adds --name, --type, --multiplier and --unit to a subcommand.
void AddCurveHeaderOptions(CLI::App& command, CurveHeaderOptions& options);

// Sets the header dialog's answers from the options. "" when they are good,
// else the usage message ("--multiplier: not a number", "--unit: one of ...",
// "--name holds the control character 0x0A; ...").
std::string GiveCurveHeader(const CurveHeaderOptions& options, CGivenCurveHeader& header);
