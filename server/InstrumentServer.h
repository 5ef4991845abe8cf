#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "comm/DeviceLock.h"
#include "server/ServeOptions.h"
#include "server/ServerClient.h"
#include "server/ServerEvents.h"

// Serves one instrument's own line protocol on a TCP socket, so that any
// client that talks to the instrument over LAN (this utility, a VISA socket
// resource, a plain socket) shares it with the program that holds the link.
//
// Two threads: the network thread accepts clients and turns what they send
// into work; the transaction thread serves the work on the link, under the
// transaction mutex, one transaction per client in turn, so that a client
// with a thousand lines queued does not starve the others and no two
// clients' lines ever meet in one transaction. A query's reply goes to the
// client that asked, as the instrument sends it over LAN (ending with CR LF);
// a table query's reply is the whole table up to its ";" line; a command gets
// nothing back, and neither does a query the instrument did not answer.
//
// Bounds: MaxQueuedWork per client (then its socket is not read until the
// queue drains), CServerClient's line and table bounds, and the options'
// bounds: the replies waiting for a client (past them it is closed: it does
// not read them), the clients, and the idle time.
class CInstrumentServer {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::size_t MaxQueuedWork = 64;
    // The waits between tries to open a lost link: doubled each time up to the last.
    static constexpr std::chrono::milliseconds FirstReopenWait{500};
    static constexpr std::chrono::milliseconds LastReopenWait{16000};

    CInstrumentServer(SharedInstrument instrument, ServeOptions options, IServerEvents& events);
    ~CInstrumentServer();
    CInstrumentServer(const CInstrumentServer&) = delete;
    CInstrumentServer& operator=(const CInstrumentServer&) = delete;

    // Listens and starts serving; false with `why` when the socket cannot be had.
    bool Start(std::string& why);
    // Closes every client and the socket; a transaction under way completes first.
    void Stop();
    bool Serving() const { return serving_; }
    // The port it listens on (the one the system chose when asked for 0).
    int Port() const { return port_; }
    int ClientCount() const { return clientCount_; }
    const ServeOptions& Options() const { return options_; }

private:
    using ClientPtr = std::shared_ptr<CServerClient>;

    void NetworkLoop();
    void Accept();
    // Reads what a client sent; false when it has gone.
    bool Receive(CServerClient& client);
    void TakeWork(const ClientPtr& client);
    void Close(const ClientPtr& client, const std::string& why);
    void Wake();

    void TransactionLoop();
    // The next client's next work in turn; false when stopping.
    bool NextWork(ClientPtr& client, ServedWork& work);
    void Serve(CServerClient& client, const ServedWork& work);
    bool ServeTable(CServerClient& client, const std::string& line);
    void Reply(CServerClient& client, const std::string& text);
    // After a failed transaction: whether the link itself is gone, and if so
    // the tries to open it again, each a little later than the last.
    void ReopenWhenLost();

    void Log(const std::string& line);

    SharedInstrument instrument_;
    const ServeOptions options_;
    IServerEvents& events_;
    int listener_ = -1;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    int port_ = 0;
    std::atomic<bool> serving_{false};
    std::atomic<bool> stopping_{false};
    std::atomic<int> clientCount_{0};

    // The network thread's own list.
    std::vector<ClientPtr> clients_;

    std::mutex mutex_; // guards turns_, each client's queue, and the link's state below
    std::condition_variable workCame_;
    std::vector<ClientPtr> turns_; // the clients in the order they are served
    std::size_t turn_ = 0;
    bool linkLost_ = false;
    std::chrono::milliseconds reopenWait_ = FirstReopenWait;
    Clock::time_point nextReopen_{};
    int droppedWhileLost_ = 0;

    // Our own links to this server take no instrument lock (CDeviceLock).
    CDeviceLock sharedMark_;
    CDeviceLock loopbackMark_; // when listening on every address
    std::thread network_;
    std::thread transactions_;
};
