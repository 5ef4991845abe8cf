#pragma once

#include <optional>
#include <string>
#include <string_view>

class CVantorCore;
// MonitorIndexByName is in logging/MonitorTable.h.

// The "monitor" subcommand: one of the twelve channel monitors, asked as the
// monitor worker asks it, one line a reading on standard output.

struct MonitorOptions {
    std::string name; // as the View menu names the monitor, see MonitorIndexByName
    // As given: readings to take; seconds between readings, 0.1 to 120000 as
    // the logging interval (else "LOG"/"INTERVAL" of the settings).
    std::string countText;
    std::optional<std::string> intervalText;
    // What CheckMonitorOptions read from them.
    int count = 1;
    std::optional<double> interval;
};

// Reads the numbers of the options, before anything is sent. "" when they are
// good, else the usage message ("--interval nan: not a number of seconds ...").
std::string CheckMonitorOptions(MonitorOptions& options);

// Identifies the instrument, as the utility does on Connect, and refuses a
// monitor its model does not offer (the View menu disables it). Then takes
// `count` readings, the first at once, then one every interval. Each line:
// the time "%H:%M:%S", the value as the instrument sent it, the unit and the
// name, separated by tabs. A failed query ends the command: exit status 1
// with the link's result on standard error; 2 for an unknown monitor name or
// one the instrument does not offer. The options have passed CheckMonitorOptions.
int RunMonitor(CVantorCore& core, const MonitorOptions& options);
