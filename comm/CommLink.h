#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

#include "comm/LinkResult.h"
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
class CCommLink {
public:
    // Replies and tables bigger than this (a device streaming without end) fail.
    static constexpr std::size_t MaxTableSize = std::size_t{1024} * 1024;
    // Selecting GPIB again gives the bus this long after the device went offline.
    static constexpr std::chrono::milliseconds GpibReselectWait{2000};

    CCommLink(CSettingsStore& settings, IMessageBoxes& boxes, IMessageLog& log,
              ITransferProgress& progress);
    ~CCommLink();
    CCommLink(const CCommLink&) = delete;
    CCommLink& operator=(const CCommLink&) = delete;

    // The connection dialogs; without them every dialog "could not be created".
    void SetDialogs(ILinkDialogs* dialogs) { dialogs_ = dialogs; }
    ILinkDialogs* Dialogs() const { return dialogs_; }
    // Run while a LAN table transfer is awaited on the GUI thread.
    void SetEventPump(IEventPump* pump) { pump_ = pump; }

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

    int GetPortType() const { return portType_; }
    int GetGPIBAddress() const { return gpibAddr_; }
    int GetCommPort() const { return commPort_; }
    int GetBaudRate() const { return baudRate_; }
    int GetIPPort() const { return ipPort_; }
    const MyIPAddr& GetIPAddress() const { return ipAddress_; }
    bool IsSerialOpen() const;
    bool HoldsGpibDevice() const { return gpibDescriptor_ > 0; }
    // Lowers the table bound for a caller that knows its table is small.
    void SetTableLimit(std::size_t bytes) { tableLimit_ = std::min(bytes, MaxTableSize); }

    // `reply` may be null: the line is sent and nothing is read.
    LinkResult Transact(const std::string* command, std::string* reply);
    // The same transaction with fewer message boxes (terminal, identification).
    LinkResult TransactQuiet(const std::string* command, std::string* reply);
    // Bulk read of a multi-line table with the progress box; the number of lines
    // received, or a negative LinkResult.
    LinkResult ReadTable(int expectedLines, const std::string& caption, const std::string* command,
                         std::string* reply);

    // Convenience forms for callers that always pass a command.
    LinkResult Transact(const std::string& command, std::string* reply) {
        return Transact(&command, reply);
    }
    LinkResult TransactQuiet(const std::string& command, std::string* reply) {
        return TransactQuiet(&command, reply);
    }

private:
    LinkResult Run(const std::string* command, std::string* reply, bool quiet);
    LinkResult RunSerial(const std::string* command, std::string* reply, bool quiet);
    LinkResult RunGpib(const std::string* command, std::string* reply, bool quiet);
    LinkResult RunLan(const std::string* command, std::string* reply, bool quiet);
    LinkResult ReadTableSerial(int expectedLines, const std::string& command, std::string& reply);
    LinkResult ReadTableGpib(int expectedLines, const std::string& command, std::string& reply);
    LinkResult ReadTableLan(int expectedLines, const std::string& command, std::string& reply);

    void OpenSerial(const std::string& devicePath, int rateCode);
    void CloseSerial();
    CGpibLibrary& Gpib();
    LinkResult OpenGPIB();
    LinkResult WriteGPIB(const std::string& command);
    LinkResult ReadGPIB(std::string& text);
    void GpibOffline();
    void ReportGpibFailure(const CGpibLibrary& gpib);

    bool WriteSetting(const char* key, int value);
    void CommunicationError();

    CSettingsStore& settings_;
    IMessageBoxes& boxes_;
    IMessageLog& log_;
    ITransferProgress& progress_;
    ILinkDialogs* dialogs_ = nullptr;
    IEventPump* pump_ = nullptr;

    std::unique_ptr<CSerialPort> serial_;
    std::unique_ptr<CGpibLibrary> gpib_;
    std::string lastGpibReport_;
    int gpibDescriptor_ = -1;
    int portType_ = PortRS232;
    int commPort_ = 1;
    int baudRate_ = 0;
    int gpibAddr_ = 12;
    MyIPAddr ipAddress_;
    int ipPort_ = 5000;
    CTethraLink lan_;
    std::size_t tableLimit_ = MaxTableSize;
};
