#include "app/VantorCore.h"

#include "base/SettingsStore.h"
#include "base/UserInterface.h"
#include "comm/CommandLine.h"
#include "comm/Identify.h"
#include "comm/LinkDialogs.h"
#include "comm/RS232Hints.h"
#include "logging/LogFormat.h"
#include "logging/MonitorWorker.h"
#include "logging/PollingWorker.h"
#include "logging/WorkerEvents.h"

CVantorCore::CVantorCore(CSettingsStore& settings, IMessageBoxes& boxes, IMessageLog& log,
                         ITransferProgress& progress, const LinkTimeouts& timeouts)
    : settings_(settings), boxes_(boxes), log_(log),
      link_(settings, boxes, log, progress, timeouts) {
    // A settings file that is not saved to is said in the message log.
    settings_.SetMessageLog(&log_);
}

CVantorCore::~CVantorCore() {
    StopSharing();
    StopWorkers();
    settings_.SetMessageLog(nullptr);
}

void CVantorCore::LoadLoggingInterval() {
    loggingInterval_ = ReadLoggingInterval(settings_);
}

void CVantorCore::StartWorkers(IWorkerEvents& events) {
    if (pollingWorker_.WasStarted())
        return;
    pollingWorker_.Start([this, &events] {
        PollingWorkerContext context{link_, transactionMutex_, stopEvent_, sampleEvent_,
                                     loggingRun_.State()};
        CPollingWorker(context, events).Run();
    });
    monitorFlags_.ClearAll();
    monitorWorker_.Start([this, &events] {
        MonitorWorkerContext context{link_, transactionMutex_, stopEvent_, monitorFlags_,
                                     loggingInterval_};
        CMonitorWorker(context, events).Run();
    });
}

void CVantorCore::StopWorkers() {
    stopEvent_.Set();
    monitorWorker_.Stop(WorkerStopWait);
    pollingWorker_.Stop(WorkerStopWait);
}

void CVantorCore::Connect() {
    if (monitorFlags_.AnyOpen() || loggingActive_ != 0 || server_) {
        boxes_.ShowMessage("Please terminates all communicating activites before reconnecting.",
                           MessageIcon::Warning);
        return;
    }
    switch (link_.GetPortType()) {
    case PortGPIB: {
        int address = link_.GetGPIBAddress();
        ILinkDialogs* dialogs = link_.Dialogs();
        DialogOutcome outcome =
            dialogs ? dialogs->RunGPIBAddress(address) : DialogOutcome::NotCreated;
        if (outcome == DialogOutcome::NotCreated)
            boxes_.ShowMessage("Could not create dialog box", MessageIcon::Stop);
        if (outcome != DialogOutcome::Confirmed)
            return NoDevice();
        link_.SetGPIBAddress(address);
        break;
    }
    case PortLAN: {
        if (!link_.EditIPAddress())
            return NoDevice();
        int connected = link_.ConnectLAN();
        if (connected == 0)
            return NoDevice();
        if (connected != 1) {
            // Already connected: no new identification.
            shortcutBar_.SetStatus(StatusConnected);
            return;
        }
        break;
    }
    default:
        break;
    }
    if (Identify())
        shortcutBar_.SetStatus(StatusConnected);
    else
        NoDevice();
}

bool CVantorCore::Identify() {
    std::unique_lock lock(transactionMutex_, std::try_to_lock);
    if (!lock.owns_lock())
        return false;
    std::string reply;
    // Quiet, so that a missing reply is reported once, here, with the hints.
    bool answered = link_.QueryQuiet("*IDN?", reply) == Link::Success;
    if (answered) {
        shortcutBar_.SetModelText(ModelTextFromIdn(reply), " ");
    } else {
        boxes_.ShowMessage("Communication Error", MessageIcon::Stop);
        ShowRS232Hints();
    }
    std::string identity;
    if (link_.QueryQuiet("SYST:IDEF?", identity) == Link::Success)
        if (auto code = ParseModelCode(identity))
            modelCode_ = *code;
    features_.ApplyModel(modelCode_);
    return answered;
}

bool CVantorCore::StartSharing(const ServeOptions& options, std::string& why) {
    if (server_)
        return true;
    sharingEvents_.readOnly = options.readOnly;
    auto server = std::make_unique<CInstrumentServer>(
        SharedInstrument{link_, transactionMutex_, [this] { return link_.Reopen(); }}, options,
        sharingEvents_);
    if (!server->Start(why))
        return false;
    server_ = std::move(server);
    shortcutBar_.SetSharing(0, options.readOnly);
    return true;
}

void CVantorCore::StopSharing() {
    if (!server_)
        return;
    server_->Stop();
    server_.reset();
    shortcutBar_.SetSharing(std::nullopt, false);
}

void CVantorCore::SharingEvents::ServerLog(std::string_view text) {
    log_.AppendLog(text);
}

void CVantorCore::SharingEvents::ClientsChanged(int connected) {
    bar_.SetSharing(connected, readOnly);
}

void CVantorCore::NoDevice() {
    shortcutBar_.SetModelText("No Device", " ");
    shortcutBar_.SetStatus(StatusError);
}

void CVantorCore::PortSelect() {
    if (monitorFlags_.AnyOpen() || loggingActive_ != 0 || server_) {
        boxes_.ShowMessage("Please terminates all communicating activites before switching port.",
                           MessageIcon::Warning);
        return;
    }
    // No worker talks to the instrument now: no monitor is open, no logging runs.
    if (!link_.SelectPort())
        return;
    shortcutBar_.SetStatus(StatusNotConnected);
    features_.ClearFeatures();
    const int type = link_.GetPortType();
    shortcutBar_.SetCommType(type);
    switch (type) {
    case PortRS232:
        log_.AppendLog("Changed to RS232 port.\n");
        break;
    case PortGPIB:
        log_.AppendLog("Changed to GPIB port.\n");
        break;
    case PortLAN:
        log_.AppendLog("Changed to LAN port.\n");
        break;
    default:
        break;
    }
}

void CVantorCore::SetupSerial() {
    int port = 0;
    int baud = 0;
    if (!link_.AskSerialSetup(port, baud))
        return;
    std::unique_lock lock(transactionMutex_, std::defer_lock);
    if (lock.try_lock_for(LockWait))
        link_.ApplySerialSetup(port, baud);
}

void CVantorCore::OnDisconnected(int status) {
    shortcutBar_.SetStatus(status);
    features_.ClearFeatures();
    link_.DisconnectLAN();
}

std::optional<LinkResult> CVantorCore::TerminalCommand(std::string_view command,
                                                       std::string* queryReply) {
    if (command.empty())
        return std::nullopt;
    std::unique_lock lock(transactionMutex_, std::defer_lock);
    if (!lock.try_lock_for(LockWait))
        return std::nullopt;
    const std::string line(command);
    if (IsQueryLine(line)) {
        log_.AppendLog("\nquery:" + line);
        std::string reply;
        LinkResult result = link_.TransactQuiet(line, &reply);
        log_.AppendLog("\nresponse:" + reply + "\n");
        if (queryReply)
            *queryReply = std::move(reply);
        return result;
    }
    log_.AppendLog("\ncommand:" + line + "\n");
    return link_.TransactQuiet(line, nullptr);
}

void CVantorCore::ShowRS232Hints() {
    ::ShowRS232Hints(link_, log_);
}

void CVantorCore::ReportFileError(int code) {
    switch (code) {
    case 0:
    case 4:
        return;
    case 2:
        log_.AppendLog("No File Name provided\n");
        break;
    case 3:
        log_.AppendLog("Cannot open input file\n");
        break;
    case 5:
        log_.AppendLog("Error! Can't open output file\n");
        break;
    default:
        break;
    }
    transactionMutex_.unlock();
}
