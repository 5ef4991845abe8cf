#pragma once

#include <QTimer>
#include <QWidget>
#include <memory>

#include "app/CommandRules.h"
#include "app/ui/MessageBoxes.h"
#include "app/ui/TransferProgress.h"
#include "base/UserInterface.h"
#include "base/ui/FileChooser.h"
#include "base/ui/GuiEventPump.h"
#include "comm/dialogs/LinkDialogs.h"
#include "curves/CalGen.h"
#include "logging/LoggingUi.h"
#include "logging/WorkerEvents.h"
#include "logging/ui/LoggingDialogs.h"

class CDataLoggingInProcMessage;
class CMessageLogView;
class CMonitorWindows;
class CSerialTerminal;
class CSettingsStore;
class CShortCutButtons;
class CShortcutDock;
class CVantorCore;
class CVantorDoc;
struct OperationContext;

// The main frame's client area and the command hub. It shows the document's
// message log and holds the core, which owns the link, the transaction mutex,
// the events, the workers and the program-wide flags; it gives the core its
// message boxes, log, progress box and connection dialogs and takes the
// workers' messages. Its
// first show starts the workers and opens the terminal and the shortcut bar,
// which is docked beside the log.
class CVantorView : public QWidget,
                    public IMessageLog,
                    public IWorkerEvents,
                    public IEventPump,
                    public ILoggingTimer {
public:
    CVantorView(CSettingsStore& settings, CVantorDoc& doc, QWidget* parent = nullptr);
    // Ends the workers (a worker waiting for this thread gives up), then closes
    // the windows that show the core's state, then the core.
    ~CVantorView() override;

    CVantorCore& Core() { return *core_; }
    CMessageBoxes& MessageBoxes() { return boxes_; }
    CTransferProgress& TransferProgress() { return progress_; }
    CMessageLogView& LogView() { return *logView_; }
    // Both null before the first show.
    CSerialTerminal* Terminal() const { return terminal_; }
    CShortCutButtons* ShortcutBar() const { return shortcutBar_; }
    // The dock that holds the bar; null before the first show.
    CShortcutDock* ShortcutDock() const { return shortcutDock_; }
    // Remembers where the user put the shortcut bar; the frame calls it as it closes.
    void SaveShortcutBarPlace();
    CDataLoggingInProcMessage* LoggingProgress() const { return loggingProgress_; }
    // Null before the first show, and when the monitor worker did not start.
    CMonitorWindows* Monitors() const { return monitors_.get(); }

    // From any thread: into the document's log, drawn on the GUI thread.
    void AppendLog(std::string_view text) override;
    // The log's lines, oldest first, joined by "\n".
    QString LogText() const;

    // The main window's size on a first run: a full line of the log and the
    // shortcut bar's dock side by side.
    QSize FirstRunSize() const;

    // True once the first-show steps have run.
    bool IsInitialised() const { return initialised_; }

    // Everything the enabling rules look at, as it is now.
    CommandContext Context() const;
    // Carries out a menu command of the view; the caller has applied its rule.
    void OnCommand(MenuCommand command);

    // Runs a CalGen operation with its dialogs over this view.
    void StartCalGen(CalGenOperation operation);
    // "Standard Curve...": the dialog, its "Download" through the curve download.
    void StartStandardCurve();
    // UM_CALGEN from the shortcut bar: the positions chosen in "Select CalGen Type".
    void OnCalGen(int sensorIndex, int pointsIndex);

    // While a LAN table comes in on the GUI thread: windows keep drawing, user
    // input waits until the transfer is over. Every other wait of this thread
    // for the instrument or the transaction mutex runs the same pump.
    void ProcessEvents() override;
    CGuiEventPump& EventPump() { return pump_; }

    // The workers' messages, each handled on the GUI thread while the worker waits.
    void Disconnected(int status) override;
    // UM_MONITOR_READING + index: the reading goes to that monitor's window.
    void MonitorReadingArrived(int index, const MonitorReading& reading) override;
    // UM_COMM_ERROR and UM_LOG_COUNT of the polling worker.
    void LoggingCommError() override;
    void LogCountChanged() override;

    // The logging timer: every tick sets the sample event.
    void SetLoggingTimer(std::chrono::milliseconds period) override;
    void KillLoggingTimer() override;
    bool LoggingTimerActive() const { return loggingTimer_.isActive(); }

protected:
    void showEvent(QShowEvent* event) override;

private:
    // What the operation commands use of the view.
    OperationContext Operations();
    void OnInitialUpdate();
    void CreateShortcutBar();
    void ShowTerminal();
    void ShowShortcutBar();
    void OnTerminalCommand(const QString& command);
    // Data Logging "Start" and UM_START_LOGGING.
    void StartLogging();
    // "Share Instrument...": starts or stops sharing as the dialog is answered.
    void ShareInstrument();

    CSettingsStore& settings_;
    CVantorDoc& doc_;
    CMessageLogView* logView_;
    CMessageBoxes boxes_;
    CTransferProgress progress_;
    CLinkDialogs linkDialogs_;
    CGuiEventPump pump_;
    IEventPump* previousPump_;
    std::unique_ptr<CVantorCore> core_;
    CSerialTerminal* terminal_ = nullptr;
    CShortCutButtons* shortcutBar_ = nullptr;
    CShortcutDock* shortcutDock_ = nullptr;
    CDataLoggingInProcMessage* loggingProgress_ = nullptr;
    CLoggingDialogs loggingDialogs_;
    CFileChooser fileChooser_;
    QTimer loggingTimer_;
    std::unique_ptr<LoggingUi> loggingUi_;
    std::unique_ptr<CMonitorWindows> monitors_;
    bool firstShowQueued_ = false;
    bool initialised_ = false;
};
