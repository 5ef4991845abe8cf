#pragma once

#include <optional>
#include <string>

class CVantorCore;

// "tundrix-cli log": a data logging run without a window, the same start,
// samples, stop and file as the utility's.
struct LogOptions {
    std::string output;  // the .csv file, replaced if it exists
    std::string sources; // "A,B,Heater1" as the setup dialog names them, or "all"
    // As given: seconds between samples, 0.1 to 120000 as in the setup dialog;
    // stop after this many entries; or after this many seconds, 0.1 to MaxLogDuration.
    std::string intervalText;
    std::optional<std::string> countText;
    std::optional<std::string> durationText;
    // The rows' time as "YYYY-MM-DD HH:MM:SS.mmm" and the name lines one line each.
    bool preciseTime = false;
    // What CheckLogOptions read from them.
    double interval = 0.0;
    std::optional<int> count;
    std::optional<double> duration;
};

// About 31 years: far beyond any run, and a time every clock can count.
inline constexpr double MaxLogDuration = 1e9;

// Reads the numbers of the options, before anything is sent. "" when they are
// good, else the usage message ("--count 0: not a whole number from 1 to ...").
std::string CheckLogOptions(LogOptions& options);

// Identifies the instrument, starts the run and samples until the count or the
// duration is reached or SIGINT/SIGTERM comes; the stop writes the trailer in
// every case. Exit status: 0 a run that ended as asked, 1 a run that could not
// start or ended on a communication error, 2 bad usage. The options have
// passed CheckLogOptions.
int RunLog(CVantorCore& core, const LogOptions& options);
