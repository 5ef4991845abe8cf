#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "comm/LinkResult.h"

class CSerialPort;
class CSettingsStore;
class IMessageBoxes;
class IMessageLog;
class ITransferProgress;

// The one link to the instrument. It owns the chosen transport, keeps the
// settings of section "CommunicationSetup", and offers one transaction model:
// send one command line; when the line is a query, read the whole reply.
//
// The link holds no lock: every caller owns the transaction mutex for the
// whole of one transaction or group of transactions.
class CCommLink {
public:
    // Tables bigger than this (a device streaming without its ";") fail.
    static constexpr std::size_t MaxTableSize = 1024 * 1024;

    CCommLink(CSettingsStore& settings, IMessageBoxes& boxes, IMessageLog& log,
              ITransferProgress& progress);
    ~CCommLink();
    CCommLink(const CCommLink&) = delete;
    CCommLink& operator=(const CCommLink&) = delete;

    // Reads "CommunicationSetup" and opens the serial port when RS232 is chosen.
    void LoadSettings();
    // Uses this serial device and baud index for this run, without storing them
    // (a resource given on the command line). False when the port did not open.
    bool UseSerialDevice(const std::string& devicePath, int baudIndex);

    void SetGPIBAddress(int address);
    int GetPortType() const { return portType_; }
    int GetGPIBAddress() const { return gpibAddr_; }
    int GetCommPort() const { return commPort_; }
    int GetBaudRate() const { return baudRate_; }
    int GetIPPort() const { return ipPort_; }
    // The stored IP address, most significant octet first.
    const std::uint8_t* GetIPAddress() const { return ipAddr_; }
    bool IsSerialOpen() const;
    // Lowers the table bound for a caller that knows its table is small.
    void SetTableLimit(std::size_t bytes) { tableLimit_ = std::min(bytes, MaxTableSize); }

    // `reply` may be null: the line is sent and nothing is read.
    LinkResult Transact(const std::string* command, std::string* reply);
    // The same transaction with fewer message boxes (terminal, identification).
    LinkResult TransactQuiet(const std::string* command, std::string* reply);
    // Bulk read of a multi-line table with the progress box; the number of lines
    // received, or a negative LinkResult.
    LinkResult ReadTable(int expectedLines, const std::string& caption,
                         const std::string* command, std::string* reply);

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
    LinkResult ReadTableSerial(int expectedLines, const std::string& command,
                               std::string& reply);
    void OpenSerial(const std::string& devicePath, int rateCode);
    void CloseSerial();
    void WriteSetting(const char* key, int value);
    void CommunicationError();

    CSettingsStore& settings_;
    IMessageBoxes& boxes_;
    IMessageLog& log_;
    ITransferProgress& progress_;

    std::unique_ptr<CSerialPort> serial_;
    int gpibDescriptor_ = -1;
    int portType_ = PortRS232;
    int commPort_ = 1;
    int baudRate_ = 0;
    int gpibAddr_ = 12;
    std::uint8_t ipAddr_[4] = {0, 0, 0, 0};
    int ipPort_ = 5000;
    std::size_t tableLimit_ = MaxTableSize;
};
