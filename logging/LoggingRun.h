#pragma once

#include <atomic>

#include "logging/LoggingState.h"
#include "logging/LoggingUi.h"

class CCommLink;
class CEvent;
class CFeatureTable;
class CSettingsStore;
class CTransactionMutex;
class IMessageBoxes;
class IMessageLog;

// "Log Date and Milliseconds" in "&User Options" (section UserOptions): the
// rows' first field is the date and the time to the millisecond, and each name
// line is one line (the instrument's line end taken off). Off, the file is
// exactly as the instrument's own utility writes it.
inline constexpr const char* PreciseTimeKey = "LogDateAndMilliseconds";

// What a data logging run shares with the rest of the program.
struct LoggingContext {
    CCommLink& link;
    CTransactionMutex& transactionMutex;
    CEvent& sampleEvent;
    const CFeatureTable& features;
    std::atomic<int>& loggingActive;
    std::atomic<double>& loggingInterval; // seconds
    CSettingsStore& settings;
    IMessageBoxes& boxes;
    IMessageLog& log;
};

// A data logging run, driven from the user-interface thread: the start (setup
// and save dialogs, "*idn?;", the header of names, the timer), the stop and its
// trailer, and the view's reactions to the polling worker's messages. The
// worker reads State().
class CLoggingRun {
public:
    explicit CLoggingRun(const LoggingContext& context)
        : context_(context), state_(context.loggingActive, context.log) {}

    // The windows and the timer of the front end; without them Start does nothing.
    void AttachUi(const LoggingUi* ui) { ui_ = ui; }
    // The precise time for the next runs whatever the user option says (the
    // CLI's --precise-time, which leaves the settings file alone).
    void ForcePreciseTime(bool on) { preciseTimeForced_ = on; }

    // "Start" and UM_START_LOGGING. While a run is active they show its
    // progress window again and start nothing.
    void Start();
    // UM_STOP_LOGGING: the timer is killed and the trailer written; nothing
    // happens when no run is active.
    void Stop();
    // UM_COMM_ERROR: a sample failed. "Communication Error", the RS232 hints,
    // and the progress window's "Stop".
    void OnCommError();
    // UM_LOG_COUNT: the number of entries in the progress window.
    void OnLogCount();

    CLoggingState& State() { return state_; }
    const CLoggingState& State() const { return state_; }

private:
    // The start from the save dialog on; the interval is stored by the caller.
    void Begin(const DataLogSetupData& setup);
    // The name queries of the header under the mutex the caller holds; false
    // when one failed.
    bool QueryNames(const LogSourceFlags& sources, std::string& header);
    void StoreInterval(double seconds);
    void CommunicationError();

    LoggingContext context_;
    CLoggingState state_;
    const LoggingUi* ui_ = nullptr;
    std::atomic<bool> timerSet_{false};
    bool preciseTimeForced_ = false;
};
