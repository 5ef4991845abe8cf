#include "comm/CommLink.h"

#include <cctype>

#include "base/BusyWait.h"
#include "base/SettingsStore.h"
#include "base/UserInterface.h"
#include "comm/CommLinkParts.h"
#include "comm/CommandLine.h"
#include "comm/GpibLibrary.h"
#include "comm/LinkDialogs.h"
#include "comm/SerialDevices.h"
#include "comm/SerialPort.h"
#include "comm/UserOptions.h"

using namespace commlink;

namespace {

constexpr const char* Section = "CommunicationSetup";
constexpr const char* CommunicationErrorText = "Communication Error";
constexpr const char* SerialCreateFailed = "Failed to create RS232 serial port";
constexpr const char* SettingsWriteFailed = "Unable to Write to Initialization File";
constexpr const char* DialogNotCreated = "Could not create dialog box";
// How much of a discarded late reply the message log shows.
constexpr std::size_t LateReplyShown = 60;

// A reply as one line of the message log: line ends dropped, other control
// bytes shown as "?", cut after LateReplyShown characters.
std::string LogText(const std::string& bytes) {
    std::string text;
    for (char c : bytes) {
        if (c == '\r' || c == '\n')
            continue;
        if (text.size() == LateReplyShown) {
            text += "...";
            break;
        }
        const auto u = static_cast<unsigned char>(c);
        text += u < 0x20 || u == 0x7F ? '?' : c;
    }
    return text;
}

// Closes the progress box on every way out of a table read.
class ProgressBox {
public:
    ProgressBox(ITransferProgress& progress, const std::string& caption) : progress_(progress) {
        progress_.OpenProgress(caption);
        progress_.SetProgress(0);
    }
    ~ProgressBox() { progress_.CloseProgress(); }
    ProgressBox(const ProgressBox&) = delete;
    ProgressBox& operator=(const ProgressBox&) = delete;

private:
    ITransferProgress& progress_;
};

} // namespace

CCommLink::CCommLink(CSettingsStore& settings, IMessageBoxes& boxes, IMessageLog& log,
                     ITransferProgress& progress, const LinkTimeouts& timeouts)
    : settings_(settings), boxes_(boxes), log_(log), progress_(progress), timeouts_(timeouts) {
    lan_.SetTimeouts(timeouts_.lanConnect, timeouts_.lanRead, timeouts_.lanTableSettle);
}

CCommLink::~CCommLink() {
    CloseSerial();
    if (gpibDescriptor_ > 0)
        GpibOffline();
    lan_.Disconnect();
}

void CCommLink::LoadSettings() {
    baudRate_ = settings_.GetInt(Section, "Baudrate", 0);
    commPort_ = settings_.GetInt(Section, "CommPort", 1);
    portType_ = settings_.GetInt(Section, "PortType", PortRS232);
    if (portType_ == 1)
        portType_ = PortLAN;
    gpibAddr_ = settings_.GetInt(Section, "GPIBAddr", 12);
    static constexpr int DefaultOctets[4] = {192, 168, 0, 4};
    int octets[4];
    for (int i = 0; i < 4; ++i)
        octets[i] = settings_.GetInt(Section, "IPAddr" + std::to_string(i), DefaultOctets[i]);
    ipAddress_ = MyIPAddr::FromOctets(octets[0], octets[1], octets[2], octets[3]);
    ipPort_ = settings_.GetInt(Section, "IPPort", 5000);
    gpibEndsReplies_ = ReadUserOption(settings_, GpibEndKey);

    CloseSerial();
    lateReplyPossible_ = false;
    // GPIB opens on its first transaction, LAN on Connect.
    if (portType_ == PortRS232)
        OpenSerial(SerialDevicePath(settings_, commPort_ + 1), 8 - baudRate_);
}

bool CCommLink::UseSerialDevice(const std::string& devicePath, int baudIndex) {
    portType_ = PortRS232;
    baudRate_ = baudIndex;
    CloseSerial();
    OpenSerial(devicePath, 8 - baudIndex);
    return IsSerialOpen();
}

void CCommLink::UseGpibAddress(int address) {
    CloseSerial();
    portType_ = PortGPIB;
    if (address != gpibAddr_ && gpibDescriptor_ > 0)
        GpibOffline();
    gpibAddr_ = address;
    lateReplyPossible_ = false;
}

void CCommLink::UseLanAddress(const MyIPAddr& address, int port) {
    CloseSerial();
    portType_ = PortLAN;
    ipAddress_ = address;
    ipPort_ = port;
    lateReplyPossible_ = false;
}

void CCommLink::OpenSerial(const std::string& devicePath, int rateCode) {
    if (OpenSerialQuietly(devicePath, rateCode))
        return;
    // The box text is fixed; the reason (permissions, a missing device) goes to the log.
    log_.AppendLog(lastFailure_ + "\n");
    boxes_.ShowMessage(SerialCreateFailed, MessageIcon::Stop);
}

bool CCommLink::OpenSerialQuietly(const std::string& devicePath, int rateCode) {
    serialPath_ = devicePath;
    serialRateCode_ = rateCode;
    // The old port lets go of the device's lock before the new one takes it.
    serial_.reset();
    auto port = std::make_unique<CSerialPort>(devicePath, rateCode, timeouts_.serialReadDivisor);
    if (!port->IsOpen()) {
        lastFailure_ = port->ErrorText();
        return false;
    }
    serial_ = std::move(port);
    return true;
}

int CCommLink::ConnectLanQuietly() {
    auto text = ipAddress_.Get_Addr_Str();
    if (!text)
        return 0;
    const int result = lan_.Connect(*text, ipPort_);
    if (result == 0)
        lastFailure_ = lan_.LastError();
    return result;
}

bool CCommLink::Reopen() {
    lateReplyPossible_ = false;
    switch (portType_) {
    case PortRS232:
        return !serialPath_.empty() && OpenSerialQuietly(serialPath_, serialRateCode_);
    case PortGPIB:
        return OpenGPIB() == Link::Success;
    case PortLAN:
        return ConnectLanQuietly() != 0;
    default:
        return false;
    }
}

void CCommLink::CloseSerial() {
    serial_.reset();
}

bool CCommLink::IsSerialOpen() const {
    return serial_ && serial_->IsOpen();
}

bool CCommLink::WriteSetting(const char* key, int value) {
    if (settings_.WriteInt(Section, key, value))
        return true;
    boxes_.ShowMessage(SettingsWriteFailed, MessageIcon::Stop);
    return false;
}

void CCommLink::SetGPIBAddress(int address) {
    // The device at the old address must not go on answering for the new one.
    if (address != gpibAddr_ && gpibDescriptor_ > 0)
        GpibOffline();
    gpibAddr_ = address;
    WriteSetting("GPIBAddr", address);
}

int CCommLink::SelectPort() {
    int chosen = portType_;
    DialogOutcome outcome = dialogs_ ? dialogs_->RunPortSelect(chosen) : DialogOutcome::NotCreated;
    if (outcome == DialogOutcome::NotCreated)
        boxes_.ShowMessage(DialogNotCreated, MessageIcon::Stop);
    if (outcome != DialogOutcome::Confirmed)
        return 0;
    const int old = portType_;
    if (chosen != PortRS232 && chosen != PortGPIB && chosen != PortLAN)
        return 1; // the old type stays
    portType_ = chosen;
    lateReplyPossible_ = false;
    WriteSetting("PortType", chosen);
    switch (chosen) {
    case PortRS232:
        SetupSerial();
        if (old == PortGPIB)
            GpibOffline();
        if (old == PortLAN)
            lan_.Disconnect();
        break;
    case PortGPIB:
        if (old == PortGPIB && gpibDescriptor_ > 0) {
            GpibOffline();
            SleepPumped(GpibReselectWait);
        } else if (old == PortLAN) {
            lan_.Disconnect();
        } else if (old == PortRS232) {
            CloseSerial();
        }
        break;
    case PortLAN:
        if (old == PortGPIB)
            GpibOffline();
        else if (old == PortRS232)
            CloseSerial();
        break;
    }
    return 1;
}

void CCommLink::SetupSerial() {
    int port = 0;
    int baud = 0;
    if (AskSerialSetup(port, baud))
        ApplySerialSetup(port, baud);
}

bool CCommLink::AskSerialSetup(int& port, int& baud) {
    port = settings_.GetInt(Section, "CommPort", 1);
    baud = settings_.GetInt(Section, "BaudRate", 0);
    DialogOutcome outcome =
        dialogs_ ? dialogs_->RunCommSetup(port, baud) : DialogOutcome::NotCreated;
    if (outcome == DialogOutcome::NotCreated)
        boxes_.ShowMessage(DialogNotCreated, MessageIcon::Stop);
    return outcome == DialogOutcome::Confirmed;
}

void CCommLink::ApplySerialSetup(int port, int baud) {
    if (!WriteSetting("BaudRate", baud) || !WriteSetting("CommPort", port))
        return;
    baudRate_ = baud;
    commPort_ = port;
    CloseSerial();
    OpenSerial(SerialDevicePath(settings_, commPort_ + 1), 8 - baudRate_);
}

int CCommLink::EditIPAddress() {
    MyIPAddr address = ipAddress_;
    int port = ipPort_;
    DialogOutcome outcome =
        dialogs_ ? dialogs_->RunIPEdit(address, port) : DialogOutcome::NotCreated;
    if (outcome == DialogOutcome::NotCreated)
        boxes_.ShowMessage(DialogNotCreated, MessageIcon::Stop);
    if (outcome != DialogOutcome::Confirmed)
        return 0;
    ipAddress_ = address;
    ipPort_ = port;
    bool stored = true;
    for (int i = 0; i < 4 && stored; ++i)
        stored = settings_.WriteInt(Section, "IPAddr" + std::to_string(i), address.Octet(i));
    if (!stored || !settings_.WriteInt(Section, "IPPort", port))
        boxes_.ShowMessage(SettingsWriteFailed, MessageIcon::Stop);
    return 1;
}

int CCommLink::ConnectLAN() {
    if (!ipAddress_.Get_Addr_Str())
        return 0;
    const int result = ConnectLanQuietly();
    if (result == 0) {
        log_.AppendLog(lastFailure_ + "\n");
        boxes_.ShowMessage("Failed to connect to server.", MessageIcon::Stop);
    }
    return result;
}

void CCommLink::DisconnectLAN() {
    if (portType_ == PortLAN)
        lan_.Disconnect();
}

namespace {

thread_local int noBoxesHere = 0;

class NoProgress : public ITransferProgress {
public:
    void OpenProgress(std::string_view) override {}
    void SetProgress(int) override {}
    void CloseProgress() override {}
};

} // namespace

CCommLink::NoBoxesOnThisThread::NoBoxesOnThisThread() {
    ++noBoxesHere;
}

CCommLink::NoBoxesOnThisThread::~NoBoxesOnThisThread() {
    --noBoxesHere;
}

void CCommLink::CommunicationError() {
    if (noBoxesHere == 0)
        boxes_.ShowMessage(CommunicationErrorText, MessageIcon::Stop);
}

ITransferProgress& CCommLink::Progress() {
    static NoProgress none;
    return noBoxesHere == 0 ? progress_ : none;
}

LinkResult CCommLink::Transact(const std::string* command, std::string* reply) {
    return Run(command, reply, false);
}

LinkResult CCommLink::TransactQuiet(const std::string* command, std::string* reply) {
    return Run(command, reply, true);
}

LinkResult CCommLink::Run(const std::string* command, std::string* reply, bool quiet) {
    lastFailure_.clear();
    if (command && command->size() > Link::MaxCommandLength)
        return Fail(Link::CommandTooLong, "the command is longer than 100 characters");
    if (command)
        DiscardLateReply();
    switch (portType_) {
    case PortRS232:
        return RunSerial(command, reply, quiet);
    case PortGPIB:
        return RunGpib(command, reply, quiet);
    case PortLAN:
        return RunLan(command, reply, quiet);
    default:
        return Link::NoTransport;
    }
}

LinkResult CCommLink::Query(const std::string& command, std::string& reply) {
    return RunQuery(command, reply, false);
}

LinkResult CCommLink::QueryQuiet(const std::string& command, std::string& reply) {
    return RunQuery(command, reply, true);
}

LinkResult CCommLink::RunQuery(const std::string& command, std::string& reply, bool quiet) {
    LinkResult result = Run(&command, &reply, quiet);
    if (result == Link::Success && IsQueryLine(command) && WithoutLineEnd(reply).empty())
        result = Fail(TransportFailure(), NoReplyCame);
    // Quiet: the caller says what it makes of it (the identification shows its
    // own box and hints, and a model code it cannot read is no failure).
    return quiet ? result : SayFailure(command, result);
}

LinkResult CCommLink::SayFailure(const std::string& command, LinkResult result) {
    // Said here, once for every operation: its own message names no reason.
    if (result < 0 && !lastFailure_.empty())
        log_.AppendLog("\"" + command + "\" failed: " + lastFailure_ + "\n");
    return result;
}

LinkResult CCommLink::RefuseReply(const std::string& why) {
    std::string line = why;
    if (!line.empty())
        line.front() = static_cast<char>(std::toupper(static_cast<unsigned char>(line.front())));
    log_.AppendLog(line + "\n");
    return Fail(TransportFailure(), why);
}

LinkResult CCommLink::TransportFailure() const {
    switch (portType_) {
    case PortRS232:
        return Link::SerialFailure;
    case PortGPIB:
        return Link::GpibFailure;
    case PortLAN:
        return Link::LanFailure;
    default:
        return Link::NoTransport;
    }
}

bool CCommLink::EndAtLineEnd(std::string& reply) {
    auto lineEnd = reply.find('\n');
    if (lineEnd == std::string::npos)
        return false;
    reply.resize(lineEnd + 1);
    return true;
}

void CCommLink::DiscardLateReply() {
    if (!lateReplyPossible_)
        return;
    lateReplyPossible_ = false;
    std::string discarded;
    bool came = false;
    switch (portType_) {
    case PortRS232:
        if (IsSerialOpen())
            came = serial_->DiscardLateReply(timeouts_.serialReplyWait + serial_->ReadTimeout(),
                                             discarded);
        break;
    case PortGPIB:
        came = DiscardLateGpibReply(discarded);
        break;
    case PortLAN:
        came = lan_.DiscardLateReply(timeouts_.lanRead, discarded);
        break;
    default:
        break;
    }
    if (came)
        log_.AppendLog("Late reply discarded (it came after its query had timed out): " +
                       LogText(discarded) + "\n");
}

LinkResult CCommLink::Fail(LinkResult result, std::string why) {
    lastFailure_ = std::move(why);
    return result;
}

// Why a reply that has no line end yet is given up.
std::string CCommLink::Unfinished(const std::string& reply, std::chrono::milliseconds deadline) {
    if (reply.size() > tableLimit_)
        return "the reply is longer than " + std::to_string(tableLimit_) + " bytes";
    if (reply.empty())
        return NoReplyCame;
    return "the reply did not end with a line end within " + std::to_string(deadline.count()) +
           " ms";
}

LinkResult CCommLink::ReadTable(int expectedLines, const std::string& caption,
                                const std::string* command, std::string* reply) {
    lastFailure_.clear();
    if (!command)
        return Link::NoCommand;
    if (command->size() > Link::MaxCommandLength)
        return Link::CommandTooLong;
    if (!reply)
        return Link::NoReplyBuffer;
    DiscardLateReply();
    ProgressBox box(Progress(), caption);
    const TableRead read{*command, expectedLines, TableDeadline(expectedLines)};
    switch (portType_) {
    case PortRS232:
        return SayFailure(*command, ReadTableSerial(read, *reply));
    case PortGPIB:
        return SayFailure(*command, ReadTableGpib(read, *reply));
    case PortLAN:
        return SayFailure(*command, ReadTableLan(read, *reply));
    default:
        return Link::NoTransport;
    }
}

std::chrono::milliseconds CCommLink::PieceTimeout() const {
    switch (portType_) {
    case PortRS232:
        return timeouts_.serialReplyWait +
               (IsSerialOpen() ? serial_->ReadTimeout() : std::chrono::milliseconds(0));
    case PortGPIB:
        return timeouts_.GpibRead();
    default:
        return timeouts_.lanRead;
    }
}

std::chrono::milliseconds CCommLink::TableDeadline(int expectedLines) const {
    const long long groups =
        1 + (std::max(0, expectedLines) + TableLinesPerPiece) / TableLinesPerPiece;
    return ReplyDeadlineFactor * PieceTimeout() * groups;
}

LinkResult CCommLink::TableTooSlow(const TableRead& read) {
    CommunicationError();
    return Fail(TransportFailure(), "the table of \"" + read.command + "\" did not end within " +
                                        std::to_string(read.limit.count()) + " ms");
}

bool CCommLink::ConnectionLost() const {
    switch (portType_) {
    case PortRS232:
        return !IsSerialOpen() || serial_->HungUp();
    case PortGPIB:
        return gpibLost_;
    case PortLAN:
        return !lan_.IsConnected();
    default:
        return true;
    }
}
