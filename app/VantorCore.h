#pragma once

#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "app/Event.h"
#include "app/MonitorTable.h"
#include "app/TransactionMutex.h"
#include "comm/CommLink.h"

class CSettingsStore;
class IMessageBoxes;
class IMessageLog;
class ITransferProgress;

// What the main view owns for the whole run, without any window: the one link,
// the transaction mutex, the stop and sample events and the program-wide flags.
// The GUI's view holds one; the CLI and the tests drive the same object.
class CVantorCore {
public:
    // Menu and message handlers wait this long for the transaction mutex.
    static constexpr std::chrono::milliseconds LockWait{1000};

    CVantorCore(CSettingsStore& settings, IMessageBoxes& boxes, IMessageLog& log,
                ITransferProgress& progress);

    CSettingsStore& Settings() { return settings_; }
    CCommLink& Link() { return link_; }
    CTransactionMutex& TransactionMutex() { return transactionMutex_; }
    CEvent& StopEvent() { return stopEvent_; }
    CEvent& SampleEvent() { return sampleEvent_; }
    CMonitorFlags& MonitorFlags() { return monitorFlags_; }
    std::atomic<int>& LoggingActive() { return loggingActive_; }

    // The terminal transaction: logs "\nquery:" / "\nresponse:" or "\ncommand:"
    // and runs TransactQuiet under the transaction mutex. An empty command is
    // ignored; a link busy beyond LockWait drops the command (returns nullopt).
    // Returns the transaction's result for callers that report it.
    std::optional<LinkResult> TerminalCommand(std::string_view command);

private:
    CSettingsStore& settings_;
    IMessageLog& log_;
    CCommLink link_;
    CTransactionMutex transactionMutex_;
    CEvent stopEvent_;
    CEvent sampleEvent_;
    CMonitorFlags monitorFlags_;
    std::atomic<int> loggingActive_{0};
};
