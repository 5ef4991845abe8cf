#pragma once

#include <optional>
#include <string>

class CVantorCore;

// "tundrix-cli log": a data logging run without a window, the same start,
// samples, stop and file as the utility's.
struct LogOptions {
    std::string output;             // the .csv file, replaced if it exists
    std::string sources;            // "A,B,Heater1" as the setup dialog names them, or "all"
    std::string interval;           // seconds, 0.1 to 120000, checked as the setup dialog checks it
    std::optional<int> count;       // stop after this many entries
    std::optional<double> duration; // or after this many seconds
};

// Identifies the instrument, starts the run and samples until the count or the
// duration is reached or SIGINT/SIGTERM comes; the stop writes the trailer in
// every case. Exit status: 0 a run that ended as asked, 1 a run that could not
// start or ended on a communication error, 2 bad usage.
int RunLog(CVantorCore& core, const LogOptions& options);
