#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>

#include "comm/DeviceLock.h"

// The TCP/IP connection to an instrument on the LAN. Command lines go out with
// a line feed; the instrument ends each reply with CR LF.
//
// Call contracts the link relies on:
// - Connect: 1 connected, 0 failed, 2 when a live connection to the same
//   address and port is already open. A connection whose instrument has gone
//   is dropped and made again; one to another address is closed first.
// - Send: 0 sent, 1 the send failed, 2 refused because there is no connection.
// - Read: nonzero with the next piece of the reply (at most size - 1
//   characters and a terminating zero, line end included); once the line end
//   has been handed over, one empty piece marks the end of the reply; 0 on
//   failure or when the instrument stays silent for ReadTimeout. A piece may
//   hold NUL bytes: `length`, when given, tells how long it really is.
// - When the instrument is found gone (a read of 0 bytes, a reset, a failed
//   send), the connection is closed: the next Connect connects again.
// - While connected, the instrument is locked against other programs of ours
//   (CDeviceLock, per address and port); Connect fails when another holds it.
// - Get_Table starts a bulk transfer that a background thread receives: lines
//   up to the one that begins with ";". The other table calls watch it.
//
// Waits: ConnectTimeout for a connection, ReadTimeout for each piece of a reply
// and between two lines of a table (the instrument's values; SetTimeouts
// shortens them for tests).
class CTethraLink {
public:
    static constexpr std::chrono::milliseconds ConnectTimeout{3000};
    static constexpr std::chrono::milliseconds ReadTimeout{3000};
    // How long Table_Ready waits for a ";" line that is on its way.
    static constexpr std::chrono::milliseconds TableSettle{1000};
    // Table transfers bigger than this fail, like a table over RS232.
    static constexpr std::size_t MaxTableSize = std::size_t{1024} * 1024;

    CTethraLink() = default;
    ~CTethraLink();
    CTethraLink(const CTethraLink&) = delete;
    CTethraLink& operator=(const CTethraLink&) = delete;

    // Not while a table transfer runs.
    void SetTimeouts(std::chrono::milliseconds connect, std::chrono::milliseconds read,
                     std::chrono::milliseconds tableSettle);
    std::chrono::milliseconds ReadWait() const { return readTimeout_; }

    int Connect(const std::string& address, int port);
    void Disconnect();
    bool IsConnected() const;
    // Why the last Connect, Send or Read failed.
    std::string LastError() const;

    // `terminate` 1 appends the line feed the instrument expects.
    int Send(const char* data, std::size_t length, int terminate);
    int Read(char* buffer, std::size_t size, std::size_t* length = nullptr);
    // After a reply that never came: waits up to `wait` for it, ending as soon
    // as a line end has arrived (unless `wholeWait`), and throws away what came
    // (in `discarded`). False when nothing came.
    bool DiscardLateReply(std::chrono::milliseconds wait, std::string& discarded,
                          bool wholeWait = false);
    // Lowers the bound of a table transfer (at most MaxTableSize).
    void SetTableLimit(std::size_t bytes) { tableLimit_ = std::min(bytes, MaxTableSize); }

    int Get_Table(const char* command, std::size_t length);
    int Get_Table_In_Progress() const;
    int Get_Received_Counter(int* count) const;
    // Nonzero once the table has ended with its ";" line. Waits a moment for
    // the end when the lines are in but the ";" is still on its way.
    int Table_Ready() const;
    // Nonzero when the transfer is over, complete or failed: nothing more will come.
    int Table_Finished() const;
    int Get_Received_Buffer(std::string& table) const;
    // Ends a table transfer that is still running (the reader gave up on it).
    void StopTable();

private:
    enum class TableState { Idle, Running, Complete, Failed };

    bool WaitReadable(std::chrono::milliseconds timeout) const;
    bool ReceiveMore(std::chrono::milliseconds timeout);
    // False when the instrument closed the connection.
    bool DiscardInput();
    bool PeerGone() const;
    // Closes the socket and releases the lock; the caller holds mutex_.
    void CloseSocket();
    void ReceiveTable();

    std::chrono::milliseconds connectTimeout_ = ConnectTimeout;
    std::chrono::milliseconds readTimeout_ = ReadTimeout;
    std::chrono::milliseconds tableSettle_ = TableSettle;

    mutable std::mutex mutex_; // guards everything below but the table thread's own work
    int socket_ = -1;
    std::string address_; // where socket_ is connected
    int port_ = -1;
    CDeviceLock lock_;
    std::string pending_; // received, not yet handed to Read
    bool replyEnded_ = false;
    bool lossUnreported_ = false; // closed by DiscardLateReply, not yet told by a Send
    std::string lastError_;

    std::thread tableThread_;
    std::atomic<bool> stopTable_{false};
    std::atomic<TableState> tableState_{TableState::Idle};
    std::atomic<int> tableLines_{0};
    std::atomic<bool> peerGone_{false}; // the table thread found the connection closed
    std::atomic<std::size_t> tableLimit_{MaxTableSize};
    std::string table_; // written by the table thread while Running
};
