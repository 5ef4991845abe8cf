#include "comm/CommLink.h"

#include <algorithm>

#include "app/SettingsStore.h"
#include "app/UserInterface.h"
#include "comm/CommandLine.h"
#include "comm/SerialDevices.h"
#include "comm/SerialPort.h"

namespace {

constexpr const char* Section = "CommunicationSetup";
constexpr const char* CommunicationErrorText = "Communication Error";
constexpr const char* SerialCreateFailed = "Failed to create RS232 serial port";
constexpr const char* SettingsWriteFailed = "Unable to Write to Initialization File";
// RS232 replies are paced by this wait before every read, not by an end marker.
constexpr std::chrono::milliseconds ReplyWait{200};

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
                     ITransferProgress& progress)
    : settings_(settings), boxes_(boxes), log_(log), progress_(progress) {}

CCommLink::~CCommLink() { CloseSerial(); }

void CCommLink::LoadSettings() {
    baudRate_ = settings_.GetInt(Section, "Baudrate", 0);
    commPort_ = settings_.GetInt(Section, "CommPort", 1);
    portType_ = settings_.GetInt(Section, "PortType", PortRS232);
    if (portType_ == 1)
        portType_ = PortLAN;
    gpibAddr_ = settings_.GetInt(Section, "GPIBAddr", 12);
    static constexpr int DefaultOctets[4] = {192, 168, 0, 4};
    for (int i = 0; i < 4; ++i)
        ipAddr_[i] = static_cast<std::uint8_t>(
            settings_.GetInt(Section, "IPAddr" + std::to_string(i), DefaultOctets[i]));
    ipPort_ = settings_.GetInt(Section, "IPPort", 5000);

    CloseSerial();
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

void CCommLink::OpenSerial(const std::string& devicePath, int rateCode) {
    auto port = std::make_unique<CSerialPort>(devicePath, rateCode);
    if (port->IsOpen()) {
        serial_ = std::move(port);
        return;
    }
    // The box text is fixed; the reason (permissions, a missing device) goes to the log.
    log_.AppendLog(port->ErrorText() + "\n");
    boxes_.ShowMessage(SerialCreateFailed, MessageIcon::Stop);
}

void CCommLink::CloseSerial() { serial_.reset(); }

bool CCommLink::IsSerialOpen() const { return serial_ && serial_->IsOpen(); }

void CCommLink::SetGPIBAddress(int address) {
    gpibAddr_ = address;
    WriteSetting("GPIBAddr", address);
}

void CCommLink::WriteSetting(const char* key, int value) {
    if (!settings_.WriteInt(Section, key, value))
        boxes_.ShowMessage(SettingsWriteFailed, MessageIcon::Stop);
}

void CCommLink::CommunicationError() { boxes_.ShowMessage(CommunicationErrorText, MessageIcon::Stop); }

LinkResult CCommLink::Transact(const std::string* command, std::string* reply) {
    return Run(command, reply, false);
}

LinkResult CCommLink::TransactQuiet(const std::string* command, std::string* reply) {
    return Run(command, reply, true);
}

LinkResult CCommLink::Run(const std::string* command, std::string* reply, bool quiet) {
    if (command && command->size() > Link::MaxCommandLength)
        return Link::CommandTooLong;
    switch (portType_) {
    case PortRS232:
        return RunSerial(command, reply, quiet);
    case PortGPIB:
        // The GPIB binding is not part of this build yet: no device can be opened.
        return Link::GpibFailure;
    case PortLAN:
        // The LAN connection is not part of this build yet: every send fails.
        return Link::LanFailure;
    default:
        return Link::NoTransport;
    }
}

LinkResult CCommLink::RunSerial(const std::string* command, std::string* reply, bool quiet) {
    if (!IsSerialOpen())
        return Link::SerialFailure;
    if (command) {
        // A reply that came after an earlier read gave up must not answer this line.
        serial_->DiscardInput();
        if (!serial_->WriteLine(*command)) {
            CommunicationError();
            return Link::SerialFailure;
        }
    }
    if (reply) {
        serial_->Idle(ReplyWait);
        if (command && IsQueryLine(*command)) {
            reply->clear();
            if (!serial_->ReadChunk(*reply)) {
                if (!quiet)
                    CommunicationError();
                return Link::SerialFailure;
            }
        }
    }
    return Link::Success;
}

LinkResult CCommLink::ReadTable(int expectedLines, const std::string& caption,
                                const std::string* command, std::string* reply) {
    if (!command)
        return Link::NoCommand;
    if (command->size() > Link::MaxCommandLength)
        return Link::CommandTooLong;
    if (!reply)
        return Link::NoReplyBuffer;
    ProgressBox box(progress_, caption);
    switch (portType_) {
    case PortRS232:
        return ReadTableSerial(expectedLines, *command, *reply);
    case PortGPIB:
        return Link::GpibFailure;
    case PortLAN:
        return Link::LanFailure;
    default:
        return Link::NoTransport;
    }
}

LinkResult CCommLink::ReadTableSerial(int expectedLines, const std::string& command,
                                      std::string& reply) {
    if (!IsSerialOpen())
        return Link::SerialFailure;
    serial_->DiscardInput();
    if (!serial_->WriteLine(command))
        return Link::SerialFailure;
    reply.clear();
    serial_->Idle(ReplyWait);
    // The instrument frames a table with four line ends of its own; it ends with ";".
    long long lineEnds = 0;
    for (;;) {
        std::string piece;
        if (!serial_->ReadChunk(piece)) {
            CommunicationError();
            return Link::SerialFailure;
        }
        std::size_t scanFrom = reply.empty() ? 0 : reply.size() - 1;
        reply += piece;
        if (reply.size() > tableLimit_) {
            CommunicationError();
            return Link::SerialFailure;
        }
        lineEnds += static_cast<long long>(CountLineEnds(reply, scanFrom));
        progress_.SetProgress(ProgressPercent(lineEnds - 4, expectedLines));
        if (piece.find(';') != std::string::npos)
            break;
        serial_->Idle(ReplyWait);
    }
    return static_cast<LinkResult>(lineEnds - 4);
}
