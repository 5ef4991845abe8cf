#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

#include "comm/DeviceLock.h"
#include "comm/LinkResult.h"
#include "comm/LinkTimeouts.h"
#include "comm/MyIPAddr.h"
#include "comm/TethraLink.h"

class CGpibLibrary;
class CSerialPort;
class CSettingsStore;
class IEventPump;
class ILinkDialogs;
class IMessageBoxes;
class IMessageLog;
class ITransferProgress;

// The one link to the instrument. It owns the chosen transport (RS232 serial
// port, GPIB device or LAN connection), keeps the settings of section
// "CommunicationSetup", and offers one transaction model: send one command
// line; when the line is a query, read the whole reply.
//
// The link holds no lock: every caller owns the transaction mutex for the
// whole of one transaction or group of transactions.
//
// CommLink.cpp holds the transaction model, the settings and the result
// codes; each transport's run of a transaction and of a table is in a file of
// its own: CommLinkSerial.cpp, CommLinkGpib.cpp, CommLinkLan.cpp.
//
// A query's reply is one line: it is complete at its first line end, and
// whatever follows on the line is not part of it. A reply that has not ended
// with its line end within ReplyDeadlineFactor times the transport's time-out
// for one piece (RS232: the reply wait and one read's total time-out; GPIB:
// the device's time-out; LAN: the read time-out) fails, as a missing reply
// does: an instrument that trickles or streams without a line end never holds
// the program for longer. The waits come from LinkTimeouts.
//
// After a query whose reply did not come (or did not end), the next
// transaction first waits up to that transport's time-out for the late reply,
// ending as soon as a line end has come, and throws it away, so that it never
// answers the next query; the message log says so when it happens. Whatever
// else is in the input (a reply sent twice, an echo) is thrown away right
// before each line goes out, without waiting: a copy that is still on its
// way then cannot be told from an answer, a rare fault not worth a wait on
// every exchange.
class CCommLink {
public:
    // Replies and tables bigger than this (a device streaming without end) fail.
    static constexpr std::size_t MaxTableSize = std::size_t{1024} * 1024;
    // A reply must end within this many time-outs of one piece.
    static constexpr int ReplyDeadlineFactor = 3;
    // A table may take one piece's time-out for every so many lines.
    static constexpr int TableLinesPerPiece = 8;
    // Selecting GPIB again gives the bus this long after the device went offline.
    static constexpr std::chrono::milliseconds GpibReselectWait{2000};

    CCommLink(CSettingsStore& settings, IMessageBoxes& boxes, IMessageLog& log,
              ITransferProgress& progress, const LinkTimeouts& timeouts = {});
    ~CCommLink();
    CCommLink(const CCommLink&) = delete;
    CCommLink& operator=(const CCommLink&) = delete;

    // The connection dialogs; without them every dialog "could not be created".
    void SetDialogs(ILinkDialogs* dialogs) { dialogs_ = dialogs; }
    ILinkDialogs* Dialogs() const { return dialogs_; }
    // Run while a LAN table transfer is awaited on the GUI thread.
    void SetEventPump(IEventPump* pump) { pump_ = pump; }
    const LinkTimeouts& Timeouts() const { return timeouts_; }
    // "End GPIB Replies at END": a GPIB read that ends with END completes the
    // reply at once. Off, every GPIB reply ends with a read that times out.
    void SetGpibEndsReplies(bool on) { gpibEndsReplies_ = on; }
    bool GpibEndsReplies() const { return gpibEndsReplies_; }

    // Reads "CommunicationSetup" and opens the serial port when RS232 is chosen.
    void LoadSettings();
    // Transports named on the command line, for this run only (nothing stored).
    // UseSerialDevice is false when the port did not open.
    bool UseSerialDevice(const std::string& devicePath, int baudIndex);
    void UseGpibAddress(int address);
    void UseLanAddress(const MyIPAddr& address, int port);

    int SelectPort();
    void SetupSerial();
    // The two halves of SetupSerial: the dialog (false when cancelled or not
    // created), then storing the choice and reopening the port.
    bool AskSerialSetup(int& portIndex, int& baudIndex);
    void ApplySerialSetup(int portIndex, int baudIndex);
    int EditIPAddress();
    void SetGPIBAddress(int address);
    int ConnectLAN();
    void DisconnectLAN();
    // Opens the chosen transport again after ConnectionLost(), with no box:
    // the serial device anew, the LAN connection anew, the GPIB device. True
    // when it is open (its instrument may still not answer); LastFailure()
    // says why not.
    bool Reopen();

    int GetPortType() const { return portType_; }
    int GetGPIBAddress() const { return gpibAddr_; }
    int GetCommPort() const { return commPort_; }
    int GetBaudRate() const { return baudRate_; }
    int GetIPPort() const { return ipPort_; }
    const MyIPAddr& GetIPAddress() const { return ipAddress_; }
    bool IsSerialOpen() const;
    bool HoldsGpibDevice() const { return gpibDescriptor_ > 0; }
    // Lowers the table bound for a caller that knows its table is small.
    void SetTableLimit(std::size_t bytes) {
        tableLimit_ = std::min(bytes, MaxTableSize);
        lan_.SetTableLimit(tableLimit_);
    }
    // The transport itself is gone, not just one exchange: the serial line was
    // hung up or its port is not open, the LAN instrument closed the
    // connection (or there is none), or the GPIB device stopped listening.
    // Later transactions fail until the user connects again.
    bool ConnectionLost() const;
    // Why the last LAN connect, send or read failed.
    std::string LanError() const { return lan_.LastError(); }
    // Why the last transaction failed (or, over GPIB, got no reply), where the
    // link knows more than its result code says; "" otherwise.
    const std::string& LastFailure() const { return lastFailure_; }

    // `reply` may be null: the line is sent and nothing is read.
    LinkResult Transact(const std::string* command, std::string* reply);
    // The same transaction with fewer message boxes (terminal, identification).
    LinkResult TransactQuiet(const std::string* command, std::string* reply);
    // A query whose reply the caller needs: as Transact (or TransactQuiet), and
    // a reply that holds nothing but its line end, or nothing at all (a GPIB
    // read that timed out), fails with the transport's failure code and
    // LastFailure() "no reply came in time". A failed query's reason is said
    // in the message log (not by QueryQuiet).
    LinkResult Query(const std::string& command, std::string& reply);
    LinkResult QueryQuiet(const std::string& command, std::string& reply);
    // A reply that came but has not the shape its query asked for (the checks
    // of comm/ReplyShapes.h): `why` is said in the message log and kept as
    // LastFailure(); the transport's failure code, for the caller to return.
    LinkResult RefuseReply(const std::string& why);
    // Bulk read of a multi-line table with the progress box; the number of lines
    // received, or a negative LinkResult (a table of which nothing came fails,
    // and one that does not end within TableDeadline); a failure's reason is
    // said in the message log.
    LinkResult ReadTable(int expectedLines, const std::string& caption, const std::string* command,
                         std::string* reply);

    // While one lives on a thread, the link shows no message box and no
    // progress box for that thread's transactions: the instrument server's,
    // which says each failure in the message log itself, and whose clients a
    // box would hold until the user closed it.
    class NoBoxesOnThisThread {
    public:
        NoBoxesOnThisThread();
        ~NoBoxesOnThisThread();
        NoBoxesOnThisThread(const NoBoxesOnThisThread&) = delete;
        NoBoxesOnThisThread& operator=(const NoBoxesOnThisThread&) = delete;
    };

    // Convenience forms for callers that always pass a command.
    LinkResult Transact(const std::string& command, std::string* reply) {
        return Transact(&command, reply);
    }
    LinkResult TransactQuiet(const std::string& command, std::string* reply) {
        return TransactQuiet(&command, reply);
    }

private:
    LinkResult Run(const std::string* command, std::string* reply, bool quiet);
    LinkResult RunQuery(const std::string& command, std::string& reply, bool quiet);
    // The transport's failure code.
    LinkResult TransportFailure() const;
    LinkResult RunSerial(const std::string* command, std::string* reply, bool quiet);
    LinkResult RunGpib(const std::string* command, std::string* reply, bool quiet);
    LinkResult RunLan(const std::string* command, std::string* reply, bool quiet);
    // One table read: its command, the lines announced, and how long it may take.
    struct TableRead {
        const std::string& command;
        int expectedLines;
        std::chrono::milliseconds limit;
    };
    LinkResult ReadTableSerial(const TableRead& read, std::string& reply);
    LinkResult ReadTableGpib(const TableRead& read, std::string& reply);
    LinkResult ReadTableLan(const TableRead& read, std::string& reply);
    // The transport's time-out for one piece of a reply.
    std::chrono::milliseconds PieceTimeout() const;
    // A table must end within ReplyDeadlineFactor piece time-outs for every
    // TableLinesPerPiece lines it announces, and one piece more: a table that
    // streams without its ";" fails then, not at the size bound.
    std::chrono::milliseconds TableDeadline(int expectedLines) const;
    LinkResult TableTooSlow(const TableRead& read);

    LinkResult Fail(LinkResult result, std::string why);
    // A failed query or table read: its reason in the message log.
    LinkResult SayFailure(const std::string& command, LinkResult result);
    std::string Unfinished(const std::string& reply, std::chrono::milliseconds deadline);
    // Throws away a reply that comes after its query gave up (see above).
    void DiscardLateReply();
    bool DiscardLateGpibReply(std::string& discarded);
    // Keeps a reply up to its first line end; false when it has none.
    static bool EndAtLineEnd(std::string& reply);

    void OpenSerial(const std::string& devicePath, int rateCode);
    // Without a box: false with the reason in LastFailure().
    bool OpenSerialQuietly(const std::string& devicePath, int rateCode);
    // lan_.Connect's result; the reason of a failure in LastFailure().
    int ConnectLanQuietly();
    void CloseSerial();
    CGpibLibrary& Gpib();
    LinkResult OpenGPIB();
    LinkResult WriteGPIB(const std::string& command);
    // `ended`, when given, tells whether the piece came with END.
    LinkResult ReadGPIB(std::string& text, bool* ended = nullptr);
    void GpibOffline();
    // A selected device clear of the held device; offline when it fails.
    void ClearGpibDevice();
    void ReportGpibFailure(const CGpibLibrary& gpib);
    void ReportGpibReason(const std::string& reason);

    bool WriteSetting(const char* key, int value);
    void CommunicationError();
    // The progress box, or none on a thread without boxes.
    ITransferProgress& Progress();

    CSettingsStore& settings_;
    IMessageBoxes& boxes_;
    IMessageLog& log_;
    ITransferProgress& progress_;
    const LinkTimeouts timeouts_;
    ILinkDialogs* dialogs_ = nullptr;
    IEventPump* pump_ = nullptr;

    std::unique_ptr<CSerialPort> serial_;
    std::unique_ptr<CGpibLibrary> gpib_;
    std::string lastGpibReport_;
    int gpibDescriptor_ = -1;
    int gpibOpenAddress_ = -1; // the address gpibDescriptor_ was opened for
    CDeviceLock gpibLock_;
    bool gpibLost_ = false;
    bool lateReplyPossible_ = false;
    bool gpibEndsReplies_ = false;
    std::string lastFailure_;
    int portType_ = PortRS232;
    int commPort_ = 1;
    int baudRate_ = 0;
    std::string serialPath_; // the device and rate the serial port was last opened with
    int serialRateCode_ = 0;
    int gpibAddr_ = 12;
    MyIPAddr ipAddress_;
    int ipPort_ = 5000;
    CTethraLink lan_;
    std::size_t tableLimit_ = MaxTableSize;
};
