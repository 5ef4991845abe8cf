#pragma once

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>

// The TCP/IP connection to an instrument on the LAN. Command lines go out with
// a line feed; the instrument ends each reply with CR LF.
//
// Call contracts the link relies on:
// - Connect: 1 connected, 0 failed, 2 when a connection is already open.
// - Send: 0 sent, 1 the send failed, 2 refused because there is no connection.
// - Read: nonzero with the next piece of the reply (at most size - 1
//   characters and a terminating zero, line end included); once the line end
//   has been handed over, one empty piece marks the end of the reply; 0 on
//   failure or when the instrument stays silent for ReadTimeout.
// - Get_Table starts a bulk transfer that a background thread receives: lines
//   up to the one that begins with ";". The other table calls watch it.
//
// Waits: ConnectTimeout for a connection, ReadTimeout for each piece of a reply
// and between two lines of a table.
class CTethraLink {
public:
    static constexpr std::chrono::milliseconds ConnectTimeout{3000};
    static constexpr std::chrono::milliseconds ReadTimeout{3000};
    // Table transfers bigger than this fail, like a table over RS232.
    static constexpr std::size_t MaxTableSize = std::size_t{1024} * 1024;

    CTethraLink() = default;
    ~CTethraLink();
    CTethraLink(const CTethraLink&) = delete;
    CTethraLink& operator=(const CTethraLink&) = delete;

    int Connect(const std::string& address, int port);
    void Disconnect();
    bool IsConnected() const;
    // Why the last Connect, Send or Read failed.
    std::string LastError() const;

    // `terminate` 1 appends the line feed the instrument expects.
    int Send(const char* data, std::size_t length, int terminate);
    int Read(char* buffer, std::size_t size);

    int Get_Table(const char* command, std::size_t length);
    int Get_Table_In_Progress() const;
    int Get_Received_Counter(int* count) const;
    // Nonzero once the table has ended with its ";" line. Waits a moment for
    // the end when the lines are in but the ";" is still on its way.
    int Table_Ready() const;
    // Nonzero when the transfer is over, complete or failed: nothing more will come.
    int Table_Finished() const;
    int Get_Received_Buffer(std::string& table) const;

private:
    enum class TableState { Idle, Running, Complete, Failed };

    bool WaitReadable(std::chrono::milliseconds timeout) const;
    bool ReceiveMore(std::chrono::milliseconds timeout);
    void DiscardInput();
    void ReceiveTable();
    void StopTable();

    mutable std::mutex mutex_; // guards everything below but the table thread's own work
    int socket_ = -1;
    std::string pending_; // received, not yet handed to Read
    bool replyEnded_ = false;
    std::string lastError_;

    std::thread tableThread_;
    std::atomic<bool> stopTable_{false};
    std::atomic<TableState> tableState_{TableState::Idle};
    std::atomic<int> tableLines_{0};
    std::string table_; // written by the table thread while Running
};
