#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "logging/LogSources.h"

class IFileChooser;

// What the "Data Logging Setup Dialog" is given and gives back.
struct DataLogSetupData {
    double interval = 0.0;                         // seconds: in the current one, out as applied
    std::array<int, LogSourceCount> enableFlags{}; // flag k enables check box k
    std::uint16_t mask = 0;                        // bit k: source k chosen ("Start" only)
};

// The setup dialog as the start asks for it: true when confirmed with
// "Start". The interval comes back either way ("Apply" then "Cancel" changes it).
class IDataLogSetup {
public:
    virtual ~IDataLogSetup() = default;
    virtual bool RunDataLogSetup(DataLogSetupData& data) = 0;
};

// What the "Data Logging in progress Message" shows.
struct DataLoggingFields {
    std::array<std::string, LogSourceCount> sources; // Source 1 .. Source 16
    std::string interval;                            // "%8.1lf"
    std::string outputFile;
    std::string entries; // "%d"
};

// The modeless progress window of a run.
class IDataLoggingProgress {
public:
    virtual ~IDataLoggingProgress() = default;
    // Fills every field and refreshes the window.
    virtual void SetFields(const DataLoggingFields& fields) = 0;
    virtual void ShowProgress() = 0;
    // The running number of entries ("%d").
    virtual void SetEntries(std::string_view entries) = 0;
    // As if the user pressed "Stop": the window checks its fields and hides,
    // then the stop request reaches the run (UM_STOP_LOGGING) before this returns.
    virtual void PressStop() = 0;
};

// The logging timer: while set, it sets the sample event once per period.
class ILoggingTimer {
public:
    virtual ~ILoggingTimer() = default;
    virtual void SetLoggingTimer(std::chrono::milliseconds period) = 0;
    virtual void KillLoggingTimer() = 0;
};

// The windows and the timer that a front end lends to the logging run.
struct LoggingUi {
    IDataLogSetup& setup;
    IDataLoggingProgress& progress;
    IFileChooser& files;
    ILoggingTimer& timer;
};
