#include "app/ui/VantorView.h"

#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "app/VantorCore.h"
#include "app/VantorDoc.h"
#include "app/ui/MessageLogView.h"
#include "app/ui/SerialTerminal.h"
#include "app/ui/ShortCutButtons.h"
#include "base/BusyWait.h"
#include "base/ui/GuiThreadCall.h"
#include "base/ui/UiText.h"
#include "base/ui/WindowPlacement.h"
#include "curves/dialogs/CurveConversion.h"

CVantorView::CVantorView(CSettingsStore& settings, CVantorDoc& doc, QWidget* parent)
    : QWidget(parent), settings_(settings), doc_(doc), logView_(new CMessageLogView(doc.Log())),
      boxes_(*this), progress_(*this), linkDialogs_(settings, boxes_, this),
      previousPump_(InstallWaitPump(&pump_)),
      core_(std::make_unique<CVantorCore>(settings, boxes_, *this, progress_)) {
    boxes_.SetAbandonEvent(&core_->StopEvent());
    core_->Link().SetDialogs(&linkDialogs_);
    core_->Link().SetEventPump(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(logView_);
    setFocusProxy(logView_);
}

CVantorView::~CVantorView() {
    core_->StopWorkers();
    delete shortcutBar_;
    delete terminal_;
    core_.reset();
    boxes_.SetAbandonEvent(nullptr);
    InstallWaitPump(previousPump_);
}

void CVantorView::ProcessEvents() {
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
    };
}

void CVantorView::OnCommand(MenuCommand command) {
    switch (command) {
    case MenuCommand::Connect:
        core_->Connect();
        break;
    case MenuCommand::PortSelect:
        core_->PortSelect();
        break;
    case MenuCommand::RS232SetUp:
        core_->SetupSerial();
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
    default:
        // The frame's own commands, and operations that are not in the program yet.
        break;
    }
}

void CVantorView::Disconnected(int status) {
    CallOnGuiThread(*this, &core_->StopEvent(), [this, status] { core_->OnDisconnected(status); });
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

    terminal_ = new CSerialTerminal(settings_, this);
    connect(terminal_, &CSerialTerminal::CommandEntered, this, &CVantorView::OnTerminalCommand);
    CreateShortcutBar();

    core_->LoggingActive() = 0;
    core_->Link().LoadSettings();
    core_->ShortcutBar().SetCommType(core_->Link().GetPortType());
    core_->ShortcutBar().ResetButtons();
    // The feature table came with the core.
    initialised_ = true;
}

void CVantorView::CreateShortcutBar() {
    shortcutBar_ = new CShortCutButtons(core_->ShortcutBar(), boxes_, this);
    connect(shortcutBar_, &CShortCutButtons::ConnectRequested, this, [this] { core_->Connect(); });
    connect(shortcutBar_, &CShortCutButtons::ShowTerminalRequested, this,
            &CVantorView::ShowTerminal);
    // The curve, PID table, CalGen, data logging and datalog upload requests
    // have no operation to start in this program yet.

    shortcutBar_->adjustSize();
    PlaceShortcutBar();
    shortcutBar_->show();
    // The window frame's size is known once the bar is on screen.
    PlaceShortcutBar();
}

QSize CVantorView::FirstRunSize() const {
    // The frames the window manager puts round the bar, with room to spare.
    constexpr int BarFrames = 16;
    constexpr int Height = 480;
    return {logView_->FullLineWidth() + CShortCutButtons::PreferredWidth() + BarFrames, Height};
}

void CVantorView::PlaceShortcutBar() {
    const QWidget* frame = window();
    const QRect screen = frame->screen()->geometry();
    shortcutBar_->move(
        ShortcutBarPlace(shortcutBar_->frameGeometry().size(), frame->frameGeometry(), screen));
}

void CVantorView::ShowTerminal() {
    if (terminal_ == nullptr)
        return;
    terminal_->ShowBeside(window()->frameGeometry());
}

void CVantorView::ShowShortcutBar() {
    if (shortcutBar_ == nullptr)
        return;
    shortcutBar_->show();
    shortcutBar_->raise();
}

void CVantorView::OnTerminalCommand(const QString& command) {
    core_->TerminalCommand(ToCoreText(command));
}
