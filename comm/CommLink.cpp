#include "comm/CommLink.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <thread>

#include "base/BusyWait.h"
#include "base/SettingsStore.h"
#include "base/UserInterface.h"
#include "comm/CommandLine.h"
#include "comm/GpibLibrary.h"
#include "comm/LinkDialogs.h"
#include "comm/SerialDevices.h"
#include "comm/SerialPort.h"
#include "comm/UserOptions.h"

namespace {

constexpr const char* Section = "CommunicationSetup";
constexpr const char* CommunicationErrorText = "Communication Error";
constexpr const char* SerialCreateFailed = "Failed to create RS232 serial port";
constexpr const char* SettingsWriteFailed = "Unable to Write to Initialization File";
constexpr const char* DialogNotCreated = "Could not create dialog box";
constexpr const char* NoReplyCame = "no reply came in time";
// GPIB and LAN replies are read in pieces of at most this many bytes.
constexpr std::size_t PieceSize = 100;
// How much of a discarded late reply the message log shows.
constexpr std::size_t LateReplyShown = 60;

using Clock = std::chrono::steady_clock;

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

// Progress of a table read: lines received / expected * 100, truncated, kept
// inside the bar's 0..100 range (a table may announce no lines, or run over).
int ProgressPercent(long long lines, int expected) {
    if (expected <= 0 || lines <= 0)
        return 0;
    return static_cast<int>(std::min<long long>(100, lines * 100 / expected));
}

std::size_t CountLineEnds(const std::string& text, std::size_t from) {
    std::size_t count = 0;
    for (std::size_t i = text.find("\r\n", from); i != std::string::npos;
         i = text.find("\r\n", i + 2))
        ++count;
    return count;
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
    auto port = std::make_unique<CSerialPort>(devicePath, rateCode, timeouts_.serialReadDivisor);
    if (port->IsOpen()) {
        serial_ = std::move(port);
        return;
    }
    // The box text is fixed; the reason (permissions, a missing device) goes to the log.
    log_.AppendLog(port->ErrorText() + "\n");
    boxes_.ShowMessage(SerialCreateFailed, MessageIcon::Stop);
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
    auto text = ipAddress_.Get_Addr_Str();
    if (!text)
        return 0;
    int result = lan_.Connect(*text, ipPort_);
    if (result == 0) {
        log_.AppendLog(lan_.LastError() + "\n");
        boxes_.ShowMessage("Failed to connect to server.", MessageIcon::Stop);
    }
    return result;
}

void CCommLink::DisconnectLAN() {
    if (portType_ == PortLAN)
        lan_.Disconnect();
}

void CCommLink::CommunicationError() {
    boxes_.ShowMessage(CommunicationErrorText, MessageIcon::Stop);
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

bool CCommLink::DiscardLateGpibReply(std::string& discarded) {
    // Opening the device would clear it anyway; only a held device can hold a late reply.
    if (gpibDescriptor_ <= 0)
        return false;
    const auto deadline = Clock::now() + ReplyDeadlineFactor * timeouts_.GpibRead();
    std::string piece;
    while (ReadGPIB(piece) == Link::Success && !piece.empty()) {
        discarded += piece;
        if (piece.find('\n') != std::string::npos || Clock::now() >= deadline ||
            discarded.size() > tableLimit_)
            break;
    }
    return !discarded.empty();
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

LinkResult CCommLink::RunSerial(const std::string* command, std::string* reply, bool quiet) {
    if (!IsSerialOpen())
        return Fail(Link::SerialFailure, "the serial port is not open");
    if (command) {
        // A reply that came after an earlier read gave up must not answer this line.
        serial_->DiscardInput();
        if (!serial_->WriteLine(*command)) {
            CommunicationError();
            return Fail(Link::SerialFailure, serial_->HungUp() ? "the line was hung up"
                                                               : "the line did not take the "
                                                                 "command");
        }
    }
    if (!reply)
        return Link::Success;
    const auto start = Clock::now();
    serial_->Idle(timeouts_.serialReplyWait);
    if (!command || !IsQueryLine(*command))
        return Link::Success;
    reply->clear();
    // The reply is what the first read delivers, and, when that has no line end
    // yet, what further reads deliver until it has.
    const auto limit = ReplyDeadlineFactor * (timeouts_.serialReplyWait + serial_->ReadTimeout());
    bool read = serial_->ReadChunk(*reply) != 0;
    std::string piece;
    while (read && reply->find('\n') == std::string::npos && reply->size() <= tableLimit_ &&
           Clock::now() < start + limit) {
        read = serial_->ReadChunk(piece) != 0;
        if (read)
            *reply += piece;
    }
    if (!EndAtLineEnd(*reply)) {
        lateReplyPossible_ = !serial_->HungUp();
        if (!quiet)
            CommunicationError();
        return Fail(Link::SerialFailure,
                    serial_->HungUp() ? "the line was hung up" : Unfinished(*reply, limit));
    }
    return Link::Success;
}

LinkResult CCommLink::RunGpib(const std::string* command, std::string* reply, bool quiet) {
    if (command && WriteGPIB(*command) != Link::Success)
        return Fail(Link::GpibFailure,
                    lastGpibReport_.empty() ? "the GPIB write failed" : lastGpibReport_);
    if (!reply || !command || !IsQueryLine(*command))
        return Link::Success;
    // The reply is every piece up to the read that times out, or, when the
    // user chose so, up to the piece that came with END.
    reply->clear();
    const auto limit = ReplyDeadlineFactor * timeouts_.GpibRead();
    const auto deadline = Clock::now() + limit;
    for (;;) {
        std::string piece;
        bool ended = false;
        const bool read = ReadGPIB(piece, &ended) == Link::Success;
        if (read && reply->size() + piece.size() <= tableLimit_ && Clock::now() < deadline) {
            if (piece.empty())
                break;
            *reply += piece;
            if (ended && gpibEndsReplies_) {
                // Without a read that times out, what the device still holds
                // (a reply sent twice) is cleared as that read would clear it.
                ClearGpibDevice();
                break;
            }
            continue;
        }
        // A device that goes on sending is cleared, so that it stops.
        ClearGpibDevice();
        lateReplyPossible_ = gpibDescriptor_ > 0;
        if (!quiet)
            CommunicationError();
        *reply += piece;
        return Fail(Link::GpibFailure, read ? Unfinished(*reply, limit) : "the GPIB read failed");
    }
    // No answer at all is an empty reply; a reply cut short of its line end fails.
    if (reply->empty()) {
        lateReplyPossible_ = gpibDescriptor_ > 0;
        lastFailure_ = NoReplyCame;
        return Link::Success;
    }
    if (!EndAtLineEnd(*reply)) {
        lateReplyPossible_ = gpibDescriptor_ > 0;
        if (!quiet)
            CommunicationError();
        return Fail(Link::GpibFailure, "the reply ended without its line end");
    }
    return Link::Success;
}

LinkResult CCommLink::RunLan(const std::string* command, std::string* reply, bool quiet) {
    if (command) {
        int status = lan_.Send(command->data(), command->size(), 1);
        if (status == 1) {
            if (!quiet)
                CommunicationError();
            return Fail(Link::LanFailure, lan_.LastError());
        }
        if (status == 2)
            return Fail(Link::LanRefused, lan_.LastError());
    }
    if (!reply || !command || !IsQueryLine(*command))
        return Link::Success;
    reply->clear();
    const auto limit = ReplyDeadlineFactor * timeouts_.lanRead;
    const auto deadline = Clock::now() + limit;
    for (;;) {
        char piece[PieceSize];
        piece[0] = '\0';
        std::size_t length = 0;
        // The piece's length, not its terminating zero, tells where it ends:
        // a NUL byte inside a reply must not cut it short.
        const bool read = lan_.Read(piece, sizeof piece, &length) != 0;
        if (read && length == 0)
            return Link::Success;
        if (read)
            reply->append(piece, length);
        if (!read || reply->size() > tableLimit_ || Clock::now() >= deadline) {
            lateReplyPossible_ = lan_.IsConnected();
            if (!quiet)
                CommunicationError();
            return Fail(Link::LanFailure, read ? Unfinished(*reply, limit) : lan_.LastError());
        }
    }
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
    ProgressBox box(progress_, caption);
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

LinkResult CCommLink::ReadTableSerial(const TableRead& read, std::string& reply) {
    if (!IsSerialOpen())
        return Link::SerialFailure;
    serial_->DiscardInput();
    if (!serial_->WriteLine(read.command))
        return Link::SerialFailure;
    reply.clear();
    const auto deadline = Clock::now() + read.limit;
    serial_->Idle(timeouts_.serialReplyWait);
    // The instrument frames a table with four line ends of its own; it ends with ";".
    long long lineEnds = 0;
    std::size_t end = std::string::npos;
    for (;;) {
        std::string piece;
        if (!serial_->ReadChunk(piece)) {
            // The ";" has come and its line end never did: the table as it is.
            if (end != std::string::npos)
                break;
            CommunicationError();
            return Link::SerialFailure;
        }
        std::size_t scanFrom = reply.empty() ? 0 : reply.size() - 1;
        reply += piece;
        if (reply.size() > tableLimit_) {
            CommunicationError();
            return Link::SerialFailure;
        }
        // The table ends with its ";" line: what came with it after that line
        // (a reply sent twice) is not part of this table. A ";" that came on
        // its own waits for the line end still on the way.
        if (end == std::string::npos)
            end = reply.find(';', scanFrom);
        bool whole = false;
        if (end != std::string::npos) {
            const std::size_t lineEnd = reply.find("\r\n", end);
            if (lineEnd != std::string::npos) {
                reply.resize(lineEnd + 2);
                whole = true;
            }
        }
        lineEnds += static_cast<long long>(CountLineEnds(reply, scanFrom));
        progress_.SetProgress(ProgressPercent(lineEnds - 4, read.expectedLines));
        if (whole)
            break;
        if (Clock::now() >= deadline)
            return TableTooSlow(read);
        if (end == std::string::npos)
            serial_->Idle(timeouts_.serialReplyWait);
    }
    // A table of fewer lines than the frame (a PID table of one entry) is a
    // table all the same.
    return static_cast<LinkResult>(std::max(0LL, lineEnds - 4));
}

LinkResult CCommLink::ReadTableGpib(const TableRead& read, std::string& reply) {
    if (WriteGPIB(read.command) != Link::Success)
        return Link::GpibFailure;
    reply.clear();
    const auto deadline = Clock::now() + read.limit;
    int lines = 0;
    for (;;) {
        std::string piece;
        if (ReadGPIB(piece) != Link::Success || reply.size() + piece.size() > tableLimit_) {
            CommunicationError();
            return Link::GpibFailure;
        }
        if (piece.empty() && lines == 0) {
            // The instrument sent nothing at all: no table, not an empty one.
            lateReplyPossible_ = gpibDescriptor_ > 0;
            return Fail(Link::GpibFailure, NoReplyCame);
        }
        if (piece.empty())
            return lines;
        if (piece.front() == ';') {
            // What follows the ";" (a table sent twice) is no part of it.
            ClearGpibDevice();
            return lines;
        }
        if (Clock::now() >= deadline) {
            ClearGpibDevice();
            return TableTooSlow(read);
        }
        reply += piece;
        reply += '\n';
        ++lines;
        progress_.SetProgress(ProgressPercent(lines, read.expectedLines));
    }
}

LinkResult CCommLink::ReadTableLan(const TableRead& read, std::string& reply) {
    if (!lan_.Get_Table(read.command.data(), read.command.size())) {
        CommunicationError();
        return Link::LanFailure;
    }
    int count = 0;
    if (!lan_.Get_Table_In_Progress() || !lan_.Get_Received_Counter(&count))
        return Link::LanFailure;
    // The whole table, up to its ";" line, however slowly its lines come,
    // within the table's deadline.
    const auto deadline = Clock::now() + read.limit;
    while (!lan_.Table_Finished()) {
        if (Clock::now() >= deadline) {
            lan_.StopTable();
            return TableTooSlow(read);
        }
        if (pump_)
            pump_->ProcessEvents();
        progress_.SetProgress(ProgressPercent(count, read.expectedLines));
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (!lan_.Get_Received_Counter(&count))
            return Link::LanFailure;
    }
    progress_.SetProgress(ProgressPercent(count, read.expectedLines));
    if (!lan_.Table_Ready() || !lan_.Get_Received_Buffer(reply) ||
        !lan_.Get_Received_Counter(&count))
        return Link::LanFailure;
    return count;
}

CGpibLibrary& CCommLink::Gpib() {
    if (!gpib_)
        gpib_ = std::make_unique<CGpibLibrary>(CGpibLibrary::LibraryName(settings_));
    return *gpib_;
}

LinkResult CCommLink::OpenGPIB() {
    if (gpibDescriptor_ > 0 && gpibOpenAddress_ == gpibAddr_)
        return Link::Success;
    if (gpibDescriptor_ > 0)
        GpibOffline();
    // Another program of ours on the same device would read our replies.
    std::string busy;
    if (!gpibLock_.Acquire("gpib0-" + std::to_string(gpibAddr_), busy)) {
        ReportGpibReason("GPIB0::" + std::to_string(gpibAddr_) + "::INSTR: " + busy);
        return Link::GpibFailure;
    }
    CGpibLibrary& gpib = Gpib();
    gpibOpenAddress_ = gpibAddr_;
    gpibDescriptor_ = gpib.ibdev(0, gpibAddr_, 0, timeouts_.gpibTimeoutCode, 1, 0);
    if (gpibDescriptor_ < 0 || (gpib.Status() & GpibErr)) {
        ReportGpibFailure(gpib);
        GpibOffline();
        return Link::GpibFailure;
    }
    if (gpib.ibclr(gpibDescriptor_) & GpibErr) {
        ReportGpibFailure(gpib);
        GpibOffline();
        return Link::GpibFailure;
    }
    lastGpibReport_.clear();
    return Link::Success;
}

// Why the device could not be opened, in the message log: once per reason, not
// on every transaction that fails the same way.
void CCommLink::ReportGpibFailure(const CGpibLibrary& gpib) {
    std::string reason;
    if (!gpib.LoadError().empty())
        reason = "GPIB library: " + gpib.LoadError();
    else if (gpib.Error() == GpibEdvr && (gpib.Count() == EACCES || gpib.Count() == EPERM))
        reason = "GPIB board 0: permission denied. The user must be in the 'gpib' group "
                 "(sudo usermod -aG gpib $USER, then log in again).";
    else if (gpib.Error() == GpibEdvr && gpib.Count() > 0)
        reason = "GPIB board 0: " + std::string(std::strerror(static_cast<int>(gpib.Count())));
    else if (gpib.Error() == GpibEnol)
        reason = "GPIB: no instrument answers at address " + std::to_string(gpibAddr_);
    else
        return;
    ReportGpibReason(reason);
}

void CCommLink::ReportGpibReason(const std::string& reason) {
    if (reason == lastGpibReport_)
        return;
    lastGpibReport_ = reason;
    log_.AppendLog(reason + "\n");
}

LinkResult CCommLink::WriteGPIB(const std::string& command) {
    gpibLost_ = true;
    if (OpenGPIB() != Link::Success)
        return Link::GpibFailure;
    CGpibLibrary& gpib = Gpib();
    if (gpib.ibwrt(gpibDescriptor_, command.data(), static_cast<long>(command.size())) & GpibErr) {
        ReportGpibFailure(gpib);
        GpibOffline();
        return Link::GpibFailure;
    }
    gpibLost_ = false;
    return Link::Success;
}

LinkResult CCommLink::ReadGPIB(std::string& text, bool* ended) {
    text.clear();
    if (ended)
        *ended = false;
    if (OpenGPIB() != Link::Success)
        return Link::GpibFailure;
    char buffer[PieceSize];
    CGpibLibrary& gpib = Gpib();
    int status = gpib.ibrd(gpibDescriptor_, buffer, static_cast<long>(sizeof buffer));
    if (!(status & GpibErr)) {
        long count = std::clamp<long>(gpib.Count(), 0, static_cast<long>(sizeof buffer));
        text.assign(buffer, static_cast<std::size_t>(count));
        if (ended)
            *ended = (status & GpibEnd) != 0;
        return Link::Success;
    }
    // Nothing more within the time-out: the reply is over; clear the device for the next.
    if ((status & GpibTimo) && !(gpib.ibclr(gpibDescriptor_) & GpibErr))
        return Link::Success;
    GpibOffline();
    return Link::GpibFailure;
}

void CCommLink::ClearGpibDevice() {
    if (gpibDescriptor_ > 0 && (Gpib().ibclr(gpibDescriptor_) & GpibErr))
        GpibOffline();
}

void CCommLink::GpibOffline() {
    if (gpibDescriptor_ >= 0 && gpib_)
        gpib_->ibonl(gpibDescriptor_, 0);
    gpibDescriptor_ = -1;
    gpibOpenAddress_ = -1;
    gpibLock_.Release();
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
