#include "app/ui/VantorView.h"

#include <QMainWindow>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include "app/VantorCore.h"
#include "app/VantorDoc.h"
#include "app/VaporixLauncher.h"
#include "app/ui/CommandFileCommand.h"
#include "app/ui/DatalogUploadCommand.h"
#include "app/ui/MessageLogView.h"
#include "app/ui/OperationContext.h"
#include "app/ui/SerialTerminal.h"
#include "app/ui/ShortCutButtons.h"
#include "app/ui/ShortcutDock.h"
#include "app/ui/TransferCommands.h"
#include "base/BusyWait.h"
#include "base/ui/GuiThreadCall.h"
#include "base/ui/UiText.h"
#include "curves/dialogs/CalGenRun.h"
#include "curves/dialogs/CurveConversion.h"
#include "curves/dialogs/StandardCurveDlg.h"
#include "logging/ui/DataLoggingInProcMessage.h"
#include "logging/ui/MonitorWindows.h"
#include "server/ServeSettings.h"
#include "server/dialogs/ShareInstrumentDlg.h"

CVantorView::CVantorView(CSettingsStore& settings, CVantorDoc& doc, QWidget* parent)
    : QWidget(parent), settings_(settings), doc_(doc), logView_(new CMessageLogView(doc.Log())),
      boxes_(*this), progress_(*this), linkDialogs_(settings, boxes_, this),
      previousPump_(InstallWaitPump(&pump_)),
      core_(std::make_unique<CVantorCore>(settings, boxes_, *this, progress_)),
      loggingDialogs_(boxes_, this), fileChooser_(this) {
    boxes_.SetAbandonEvent(&core_->StopEvent());
    core_->Link().SetDialogs(&linkDialogs_);
    core_->Link().SetEventPump(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(logView_);
    setFocusProxy(logView_);

    loggingTimer_.setTimerType(Qt::PreciseTimer);
    connect(&loggingTimer_, &QTimer::timeout, this, [this] { core_->SampleEvent().Set(); });
}

CVantorView::~CVantorView() {
    // A run still going ends with its trailer before its worker goes.
    core_->LoggingRun().Stop();
    core_->StopWorkers();
    monitors_.reset();
    core_->LoggingRun().AttachUi(nullptr);
    delete loggingProgress_;
    // The dock takes the bar with it.
    delete shortcutDock_;
    delete terminal_;
    core_.reset();
    boxes_.SetAbandonEvent(nullptr);
    InstallWaitPump(previousPump_);
}

void CVantorView::ProcessEvents() {
    // The instrument server's table reads run on its own thread: only this
    // thread's windows are kept drawing.
    if (QThread::currentThread() != thread())
        return;
    CPumpedWait wait(pump_);
    wait.Pump();
}

void CVantorView::AppendLog(std::string_view text) {
    doc_.Log().Append(text);
    logView_->ScheduleRefresh();
}

QString CVantorView::LogText() const {
    QStringList lines;
    for (const std::string& line : doc_.Log().Lines())
        lines << FromCoreText(line);
    return lines.join(QLatin1Char('\n'));
}

CommandContext CVantorView::Context() const {
    return CommandContext{
        .features = core_->Features(),
        .monitorOpen = core_->MonitorFlags(),
        .loggingActive = core_->LoggingActive() != 0,
        .portType = core_->Link().GetPortType(),
        // Before the first show there is no bar to show again.
        .shortcutBarShown = shortcutBar_ == nullptr || shortcutBar_->isVisible(),
        .monitorWorkerRunning = core_->MonitorWorkerRunning(),
        .sharing = core_->Sharing() != nullptr,
    };
}

void CVantorView::OnCommand(MenuCommand command) {
    switch (command) {
    case MenuCommand::UploadInternalDataLog:
        UploadInternalDatalog(Operations());
        break;
    case MenuCommand::SendCommandFile:
        SendCommandFile(Operations());
        break;
    case MenuCommand::Connect:
        core_->Connect();
        break;
    case MenuCommand::PortSelect:
        core_->PortSelect();
        break;
    case MenuCommand::RS232SetUp:
        core_->SetupSerial();
        break;
    case MenuCommand::ShareInstrument:
        ShareInstrument();
        break;
    case MenuCommand::Interact:
        ShowTerminal();
        break;
    case MenuCommand::Shortcut:
        ShowShortcutBar();
        break;
    case MenuCommand::CurveConvert:
        RunCurveConversion(this, boxes_, *this);
        break;
    case MenuCommand::CalGenDiode1Point300K:
        StartCalGen(CalGenOperation::Diode300K);
        break;
    case MenuCommand::CalGenDiode1Point42K:
        StartCalGen(CalGenOperation::Diode4K2);
        break;
    case MenuCommand::CalGenDiode2Points:
        StartCalGen(CalGenOperation::DiodeTwoPoints);
        break;
    case MenuCommand::CalGenDiode3Points:
        StartCalGen(CalGenOperation::DiodeThreePoints);
        break;
    case MenuCommand::CalGenPlatinum:
        StartCalGen(CalGenOperation::Platinum);
        break;
    case MenuCommand::StandardCurve:
        StartStandardCurve();
        break;
    case MenuCommand::CurveDownload:
    case MenuCommand::CurveUpload:
    case MenuCommand::PidDownload:
    case MenuCommand::PidUpload:
        RunTransferCommand(command, Operations());
        break;
    case MenuCommand::DataLoggingStart:
        StartLogging();
        break;
    default:
        if (int monitor = MonitorIndexOf(command); monitor >= 0 && monitors_)
            monitors_->Open(monitor);
        // The frame's own commands, and operations that are not in the program yet.
        break;
    }
}

OperationContext CVantorView::Operations() {
    return {*core_, boxes_, *this, progress_, this};
}

void CVantorView::StartCalGen(CalGenOperation operation) {
    CalculatorActions calculator{[this] { LaunchVaporix(boxes_); }, [] { CloseQuillmere(); }};
    RunCalGenWithDialogs(operation, this, boxes_, *this, std::move(calculator));
}

void CVantorView::StartStandardCurve() {
    CStandardCurveDlg::DownloadAction download;
    // "Download" follows the rule of Sensor Curve "Download", as the dialog opens.
    if (IsCommandEnabled(MenuCommand::CurveDownload, Context()))
        download = [this](const SensorCurve& curve, const std::string& name) {
            DownloadMadeCurve(Operations(), curve, name);
        };
    RunStandardCurveDialog(boxes_, *this, std::move(download), this);
}

void CVantorView::OnCalGen(int sensorIndex, int pointsIndex) {
    if (auto operation = CalGenOperationOf(sensorIndex, pointsIndex))
        StartCalGen(*operation);
}

void CVantorView::MonitorReadingArrived(int index, const MonitorReading& reading) {
    CallOnGuiThread(*this, &core_->StopEvent(), [this, index, reading] {
        if (monitors_)
            monitors_->ShowReading(index, reading);
    });
}

void CVantorView::Disconnected(int status) {
    CallOnGuiThread(*this, &core_->StopEvent(), [this, status] { core_->OnDisconnected(status); });
}

void CVantorView::LoggingCommError() {
    CallOnGuiThread(*this, &core_->StopEvent(), [this] { core_->LoggingRun().OnCommError(); });
}

void CVantorView::LogCountChanged() {
    CallOnGuiThread(*this, &core_->StopEvent(), [this] { core_->LoggingRun().OnLogCount(); });
}

void CVantorView::SetLoggingTimer(std::chrono::milliseconds period) {
    loggingTimer_.start(period);
}

void CVantorView::KillLoggingTimer() {
    loggingTimer_.stop();
}

void CVantorView::StartLogging() {
    if (initialised_)
        core_->LoggingRun().Start();
}

void CVantorView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (firstShowQueued_)
        return;
    firstShowQueued_ = true;
    // After the frame is on screen, so that a box raised here has a window to sit over.
    QTimer::singleShot(0, this, &CVantorView::OnInitialUpdate);
}

void CVantorView::OnInitialUpdate() {
    logView_->TakeLineHeight();
    core_->LoadLoggingInterval();
    // The stop and sample events and the transaction mutex came with the core.
    core_->StartWorkers(*this);
    if (core_->MonitorWorkerRunning()) {
        monitors_ =
            std::make_unique<CMonitorWindows>(settings_, core_->MonitorFlags(), boxes_, this);
        monitors_->Create();
    }

    terminal_ = new CSerialTerminal(settings_, this);
    connect(terminal_, &CSerialTerminal::CommandEntered, this, &CVantorView::OnTerminalCommand);
    CreateShortcutBar();

    core_->LoggingActive() = 0;
    loggingProgress_ = new CDataLoggingInProcMessage(boxes_, this);
    loggingProgress_->SetStopHandler([this] { core_->LoggingRun().Stop(); });
    loggingUi_ = std::make_unique<LoggingUi>(
        LoggingUi{loggingDialogs_, *loggingProgress_, fileChooser_, *this});
    core_->LoggingRun().AttachUi(loggingUi_.get());
    core_->Link().LoadSettings();
    core_->ShortcutBar().SetCommType(core_->Link().GetPortType());
    core_->ShortcutBar().ResetButtons();
    // The feature table came with the core.
    initialised_ = true;
}

void CVantorView::CreateShortcutBar() {
    shortcutBar_ = new CShortCutButtons(core_->ShortcutBar(), boxes_, this);
    connect(shortcutBar_, &CShortCutButtons::ConnectRequested, this, [this] { core_->Connect(); });
    // UM_UPLOAD_DATALOG, posted: the upload starts after the click, when the rule allows it then.
    connect(
        shortcutBar_, &CShortCutButtons::UploadDataLogRequested, this,
        [this] {
            if (IsCommandEnabled(MenuCommand::UploadInternalDataLog, Context()))
                OnCommand(MenuCommand::UploadInternalDataLog);
        },
        Qt::QueuedConnection);
    connect(shortcutBar_, &CShortCutButtons::ShowTerminalRequested, this,
            &CVantorView::ShowTerminal);
    // UM_CALGEN: posted, so that the bar's button has returned before the operation runs.
    connect(shortcutBar_, &CShortCutButtons::CalGenRequested, this, &CVantorView::OnCalGen,
            Qt::QueuedConnection);
    // As the bar's messages were posted: the download starts after the click,
    // when the view's rule allows it then.
    for (auto [signal, command] :
         {std::pair{&CShortCutButtons::CurveDownloadRequested, MenuCommand::CurveDownload},
          std::pair{&CShortCutButtons::PidDownloadRequested, MenuCommand::PidDownload}})
        connect(
            shortcutBar_, signal, this,
            [this, command] {
                if (IsCommandEnabled(command, Context()))
                    OnCommand(command);
            },
            Qt::QueuedConnection);
    // UM_START_LOGGING: a whole new start, even while a run is active.
    connect(shortcutBar_, &CShortCutButtons::StartLoggingRequested, this,
            &CVantorView::StartLogging, Qt::QueuedConnection);

    // A dock beside the log, which keeps the rest of the client area.
    shortcutDock_ =
        new CShortcutDock(settings_, shortcutBar_, qobject_cast<QMainWindow*>(window()));
    shortcutDock_->show();
}

void CVantorView::SaveShortcutBarPlace() {
    if (shortcutDock_ != nullptr)
        shortcutDock_->SavePlace();
}

QSize CVantorView::FirstRunSize() const {
    // The dock's margins and the separator beside it, with room to spare.
    constexpr int BarFrames = 16;
    constexpr int Height = 480;
    return {logView_->FullLineWidth() + CShortCutButtons::PreferredWidth() + BarFrames, Height};
}

void CVantorView::ShowTerminal() {
    if (terminal_ == nullptr)
        return;
    terminal_->ShowBeside(window()->frameGeometry());
}

void CVantorView::ShowShortcutBar() {
    if (shortcutDock_ == nullptr)
        return;
    shortcutBar_->show();
    shortcutDock_->show();
    shortcutDock_->raise();
}

void CVantorView::ShareInstrument() {
    const CInstrumentServer* server = core_->Sharing();
    CShareInstrumentDlg dialog(server ? server->Options() : ReadServeSettings(settings_),
                               server != nullptr, this);
    const int outcome = dialog.exec();
    if (outcome == CShareInstrumentDlg::StopSharing) {
        core_->StopSharing();
        return;
    }
    if (outcome != CShareInstrumentDlg::Share)
        return;
    WriteServeSettings(settings_, dialog.Options());
    std::string why;
    if (!core_->StartSharing(dialog.Options(), why))
        boxes_.ShowMessage("The instrument could not be shared: " + why, MessageIcon::Stop);
}

void CVantorView::OnTerminalCommand(const QString& command) {
    core_->TerminalCommand(ToCoreText(command));
}
