#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "app/ShortcutBarState.h"
#include "base/Event.h"
#include "base/TransactionMutex.h"
#include "base/WorkerThread.h"
#include "comm/CommLink.h"
#include "comm/FeatureTable.h"
#include "logging/LoggingRun.h"
#include "logging/MonitorTable.h"
#include "server/InstrumentServer.h"

class CSettingsStore;
class IMessageBoxes;
class IMessageLog;
class ITransferProgress;
class IWorkerEvents;

// What the main view owns for the whole run, without any window: the one link,
// the transaction mutex, the stop and sample events, the two workers, the
// feature table, what the shortcut bar shows and the program-wide flags. The
// GUI's view holds one; the CLI and the tests drive the same object.
class CVantorCore {
public:
    // Menu and message handlers wait this long for the transaction mutex.
    static constexpr std::chrono::milliseconds LockWait = TransactionLockWait;
    // The view waits this long for each worker at the end.
    static constexpr std::chrono::milliseconds WorkerStopWait{30000};

    // `timeouts`: the instrument's own, unless a test shortens them.
    CVantorCore(CSettingsStore& settings, IMessageBoxes& boxes, IMessageLog& log,
                ITransferProgress& progress, const LinkTimeouts& timeouts = {});
    ~CVantorCore();
    CVantorCore(const CVantorCore&) = delete;
    CVantorCore& operator=(const CVantorCore&) = delete;

    CSettingsStore& Settings() { return settings_; }
    CCommLink& Link() { return link_; }
    CTransactionMutex& TransactionMutex() { return transactionMutex_; }
    CEvent& StopEvent() { return stopEvent_; }
    CEvent& SampleEvent() { return sampleEvent_; }
    CMonitorFlags& MonitorFlags() { return monitorFlags_; }
    std::atomic<int>& LoggingActive() { return loggingActive_; }
    CFeatureTable& Features() { return features_; }
    CShortcutBarState& ShortcutBar() { return shortcutBar_; }
    // The model code of the last successful identification (27..35), or 0.
    int ModelCode() const { return modelCode_; }

    // Seconds between data logging samples; "LOG"/"INTERVAL", default "30.0".
    double LoggingInterval() const { return loggingInterval_; }
    void LoadLoggingInterval();

    // Starts the polling worker, then the monitor worker. Their messages go to `events`.
    void StartWorkers(IWorkerEvents& events);
    // Sets the stop event and waits for the monitor worker, then the polling
    // worker, at most WorkerStopWait each.
    void StopWorkers();
    bool MonitorWorkerRunning() const { return monitorWorker_.IsRunning(); }
    // The data logging run; its polling worker samples into it.
    CLoggingRun& LoggingRun() { return loggingRun_; }

    // Connect: refuses while monitors are open or data logging runs, then
    // identifies the instrument on the selected transport.
    void Connect();
    // Identification with the transaction mutex tried, not waited for: true
    // when "*IDN?" answered. Model text, status and features follow.
    bool Identify();
    // Port Select: refused while monitors are open or data logging runs; after a
    // confirmed change the bar shows "Not Connected" and the new transport.
    void PortSelect();
    // "RS232 Set Up...": the serial setup; the port is reopened under the
    // transaction mutex so that a worker's transaction never loses it half-way.
    void SetupSerial();
    // UM_DISCONNECTED: status shown, features cleared, LAN dropped.
    void OnDisconnected(int status);

    // "Share Instrument...": other programs reach the instrument through a
    // server on a TCP socket, their transactions under the same mutex as the
    // workers'. Connect and Port Select are refused while it serves.
    // Its notes go to the message log; the shortcut bar shows the clients.
    bool StartSharing(const ServeOptions& options, std::string& why);
    void StopSharing();
    // The server while the instrument is shared, else null.
    const CInstrumentServer* Sharing() const { return server_ ? server_.get() : nullptr; }

    // The terminal transaction: logs "\nquery:" / "\nresponse:" or "\ncommand:"
    // and runs TransactQuiet under the transaction mutex. An empty command is
    // ignored; a link busy beyond LockWait drops the command (returns nullopt).
    // `reply`, when given, receives a query's reply.
    std::optional<LinkResult> TerminalCommand(std::string_view command,
                                              std::string* reply = nullptr);

    // After a communication error on RS232: the five hint lines in the log.
    void ShowRS232Hints();
    // Logs a file reader's result and releases the transaction mutex the caller holds.
    void ReportFileError(int code);

private:
    void NoDevice();

    CSettingsStore& settings_;
    IMessageBoxes& boxes_;
    IMessageLog& log_;
    CCommLink link_;
    CTransactionMutex transactionMutex_;
    CEvent stopEvent_;
    CEvent sampleEvent_;
    CMonitorFlags monitorFlags_;
    std::atomic<int> loggingActive_{0};
    CShortcutBarState shortcutBar_;
    CFeatureTable features_{shortcutBar_};
    std::atomic<int> modelCode_{0};
    std::atomic<double> loggingInterval_{30.0};
    CLoggingRun loggingRun_{{link_, transactionMutex_, sampleEvent_, features_, loggingActive_,
                             loggingInterval_, settings_, boxes_, log_}};
    CWorkerThread pollingWorker_;
    CWorkerThread monitorWorker_;
    // What the server tells, for the message log and the shortcut bar.
    class SharingEvents : public IServerEvents {
    public:
        SharingEvents(IMessageLog& log, CShortcutBarState& bar) : log_(log), bar_(bar) {}
        bool readOnly = false;
        void ServerLog(std::string_view text) override;
        void ClientsChanged(int connected) override;

    private:
        IMessageLog& log_;
        CShortcutBarState& bar_;
    };
    SharingEvents sharingEvents_{log_, shortcutBar_};
    std::unique_ptr<CInstrumentServer> server_;
};
