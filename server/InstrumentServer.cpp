#include "server/InstrumentServer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "base/TransactionMutex.h"
#include "comm/CommLink.h"
#include "comm/CommandLine.h"

namespace {

constexpr std::chrono::milliseconds LongestPoll{1000};
constexpr int SocketSendBuffer = 64 * 1024;
// Records the data log may gain between its count and its table.
constexpr int DatalogSlack = 16;
constexpr int DatalogHeaderLines = 4;

std::string SystemError(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

std::string Seconds(std::chrono::milliseconds wait) {
    return std::to_string(wait.count() / 1000) +
           (wait.count() % 1000 ? "." + std::to_string(wait.count() % 1000 / 100) : "") + " s";
}

// A table as the instrument sends it over LAN: each line ending with CR LF.
std::string AsLanTable(const std::string& table) {
    std::string text;
    std::size_t start = 0;
    while (start < table.size()) {
        std::size_t end = table.find('\n', start);
        if (end == std::string::npos)
            end = table.size();
        std::string_view line(table.data() + start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        text.append(line);
        text += "\r\n";
        start = end + 1;
    }
    return text;
}

} // namespace

CInstrumentServer::CInstrumentServer(SharedInstrument instrument, ServeOptions options,
                                     IServerEvents& events)
    : instrument_(std::move(instrument)), options_(std::move(options)), events_(events) {}

CInstrumentServer::~CInstrumentServer() {
    Stop();
}

bool CInstrumentServer::Start(std::string& why) {
    if (serving_)
        return true;
    if (why = options_.Problem(); !why.empty())
        return false;
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (listener_ < 0) {
        why = SystemError("socket");
        return false;
    }
    const int on = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(options_.port));
    address.sin_addr.s_addr = htonl(options_.address);
    socklen_t length = sizeof address;
    int pipeEnds[2] = {-1, -1};
    if (::bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, SOMAXCONN) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        ::pipe2(pipeEnds, O_NONBLOCK | O_CLOEXEC) != 0) {
        why = SystemError(
            ("listening on " + AddressText(options_.address) + ":" + std::to_string(options_.port))
                .c_str());
        ::close(listener_);
        listener_ = -1;
        return false;
    }
    wakeRead_ = pipeEnds[0];
    wakeWrite_ = pipeEnds[1];
    port_ = ntohs(address.sin_port);
    sharedMark_.MarkShared("lan-" + AddressText(options_.address) + "-" + std::to_string(port_));
    if (options_.address == INADDR_ANY)
        loopbackMark_.MarkShared("lan-127.0.0.1-" + std::to_string(port_));
    stopping_ = false;
    linkLost_ = false;
    serving_ = true;
    Log("Sharing the instrument on " + AddressText(options_.address) + ":" + std::to_string(port_) +
        (options_.readOnly ? ", read-only" : "") + ", at most " +
        std::to_string(options_.maxClients) + " clients.");
    network_ = std::thread([this] { NetworkLoop(); });
    transactions_ = std::thread([this] { TransactionLoop(); });
    return true;
}

void CInstrumentServer::Stop() {
    if (!serving_)
        return;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    workCame_.notify_all();
    Wake();
    transactions_.join();
    network_.join();
    ::close(wakeRead_);
    ::close(wakeWrite_);
    wakeRead_ = wakeWrite_ = -1;
    sharedMark_.Release();
    loopbackMark_.Release();
    serving_ = false;
    Log("Sharing ended.");
}

void CInstrumentServer::Wake() {
    const char byte = 1;
    // A full pipe already wakes the network thread.
    [[maybe_unused]] ssize_t written = ::write(wakeWrite_, &byte, 1);
}

void CInstrumentServer::Log(const std::string& line) {
    events_.ServerLog(line + "\n");
}

// ---- The network thread ----

void CInstrumentServer::NetworkLoop() {
    std::vector<pollfd> fds;
    std::vector<std::pair<ClientPtr, std::string>> closing;
    while (!stopping_) {
        const auto now = Clock::now();
        auto wait = LongestPoll;
        fds.assign({{wakeRead_, POLLIN, 0}, {listener_, POLLIN, 0}});
        for (const ClientPtr& client : clients_) {
            TakeWork(client);
            short events = 0;
            bool idle = false;
            {
                std::lock_guard lock(mutex_);
                if (!client->inputEnded && client->queued.size() < MaxQueuedWork &&
                    client->Room() > 0)
                    events |= POLLIN;
                idle = client->queued.empty() && !client->inService;
                if (client->inputEnded && idle) {
                    std::lock_guard out(client->Out().mutex);
                    if (client->Out().waiting.empty())
                        closing.emplace_back(client, "left");
                }
            }
            {
                std::lock_guard out(client->Out().mutex);
                if (!client->Out().waiting.empty())
                    events |= POLLOUT;
                if (client->Out().overflow)
                    closing.emplace_back(client, "closed: it does not read its replies");
            }
            const auto idleEnd = client->LastHeard() + options_.idleTimeout;
            if (idle && now >= idleEnd)
                closing.emplace_back(client, "closed: it sent nothing for " +
                                                 Seconds(options_.idleTimeout));
            else if (idle)
                wait = std::min(wait, std::chrono::ceil<std::chrono::milliseconds>(idleEnd - now));
            fds.push_back({client->Out().fd, events, 0});
        }
        for (auto& [client, why] : closing)
            Close(client, why);
        if (!closing.empty()) {
            closing.clear();
            continue;
        }
        if (::poll(fds.data(), fds.size(), static_cast<int>(wait.count())) < 0 && errno != EINTR)
            break;
        if (fds[0].revents & POLLIN) {
            char drain[64];
            while (::read(wakeRead_, drain, sizeof drain) > 0) {
            }
        }
        // Clients first: the list grows when one is accepted.
        for (std::size_t i = 2; i < fds.size(); ++i) {
            const ClientPtr& client = clients_[i - 2];
            const short revents = fds[i].revents;
            if ((revents & POLLIN) && !Receive(*client)) {
                closing.emplace_back(client, "left");
                continue;
            }
            if ((revents & (POLLERR | POLLHUP)) && !(revents & POLLIN)) {
                closing.emplace_back(client, "left");
                continue;
            }
            if (revents & POLLOUT) {
                std::lock_guard out(client->Out().mutex);
                if (!CServerClient::Flush(client->Out()))
                    closing.emplace_back(client, "left");
            }
        }
        for (auto& [client, why] : closing)
            Close(client, why);
        closing.clear();
        if (fds[1].revents & POLLIN)
            Accept();
    }
    while (!clients_.empty())
        Close(clients_.back(), "closed: sharing ends");
    ::close(listener_);
    listener_ = -1;
}

void CInstrumentServer::Accept() {
    for (;;) {
        sockaddr_in address{};
        socklen_t length = sizeof address;
        const int fd = ::accept4(listener_, reinterpret_cast<sockaddr*>(&address), &length,
                                 SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            return;
        const std::uint32_t peer = ntohl(address.sin_addr.s_addr);
        const std::string name = AddressText(peer) + ":" + std::to_string(ntohs(address.sin_port));
        if (!options_.Admits(peer)) {
            ::close(fd);
            Log("Client " + name + " refused: its address is not allowed.");
            continue;
        }
        if (clients_.size() >= static_cast<std::size_t>(options_.maxClients)) {
            ::close(fd);
            Log("Client " + name + " refused: " + std::to_string(options_.maxClients) +
                " clients are connected already.");
            continue;
        }
        // Replies are short and each is awaited: send them at once. What the
        // kernel holds for a client that does not read is bounded too.
        const int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &SocketSendBuffer, sizeof SocketSendBuffer);
        auto client = std::make_shared<CServerClient>(fd, name);
        clients_.push_back(client);
        {
            std::lock_guard lock(mutex_);
            turns_.push_back(client);
        }
        const int count = ++clientCount_;
        Log("Client " + name + " connected (" + std::to_string(count) + " connected).");
        events_.ClientsChanged(count);
    }
}

bool CInstrumentServer::Receive(CServerClient& client) {
    char buffer[CServerClient::MaxPendingBytes];
    const ssize_t got = ::recv(client.Out().fd, buffer, std::min(sizeof buffer, client.Room()), 0);
    if (got > 0) {
        client.Heard(std::string_view(buffer, static_cast<std::size_t>(got)), Clock::now());
        return true;
    }
    if (got < 0)
        return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    // The client has sent all it will: what it asked is still answered.
    std::lock_guard lock(mutex_);
    client.inputEnded = true;
    return true;
}

void CInstrumentServer::TakeWork(const ClientPtr& client) {
    std::vector<std::string> notes;
    bool came = false;
    {
        std::lock_guard lock(mutex_);
        while (client->queued.size() < MaxQueuedWork) {
            auto work = client->NextWork(options_.readOnly, notes);
            if (!work)
                break;
            client->queued.push_back(std::move(*work));
            came = true;
        }
    }
    if (came)
        workCame_.notify_one();
    for (const std::string& note : notes)
        Log(note);
}

void CInstrumentServer::Close(const ClientPtr& client, const std::string& why) {
    auto found = std::find(clients_.begin(), clients_.end(), client);
    if (found == clients_.end())
        return;
    {
        std::lock_guard out(client->Out().mutex);
        ::close(client->Out().fd);
        client->Out().fd = -1;
        client->Out().waiting.clear();
    }
    {
        std::lock_guard lock(mutex_);
        auto turn = std::find(turns_.begin(), turns_.end(), client);
        const auto index = static_cast<std::size_t>(turn - turns_.begin());
        turns_.erase(turn);
        if (index < turn_)
            --turn_;
        client->queued.clear();
    }
    const int count = --clientCount_;
    Log("Client " + client->Name() + " " + why + " (" + std::to_string(count) + " connected).");
    // Last: `client` may be the list's own element, and this its last reference.
    clients_.erase(found);
    events_.ClientsChanged(count);
}

// ---- The transaction thread ----

void CInstrumentServer::TransactionLoop() {
    const CCommLink::NoBoxesOnThisThread noBoxes;
    ClientPtr client;
    ServedWork work;
    while (NextWork(client, work)) {
        Serve(*client, work);
        {
            std::lock_guard lock(mutex_);
            client->inService = false;
        }
        client.reset();
        // A queue that was full can take the lines read meanwhile.
        Wake();
    }
}

bool CInstrumentServer::NextWork(ClientPtr& client, ServedWork& work) {
    std::unique_lock lock(mutex_);
    for (;;) {
        if (stopping_)
            return false;
        if (linkLost_ && Clock::now() >= nextReopen_) {
            lock.unlock();
            ReopenWhenLost();
            lock.lock();
            continue;
        }
        for (std::size_t i = 0; i < turns_.size(); ++i) {
            const std::size_t index = (turn_ + i) % turns_.size();
            if (!turns_[index]->queued.empty()) {
                client = turns_[index];
                work = std::move(client->queued.front());
                client->queued.pop_front();
                client->inService = true;
                turn_ = index + 1;
                return true;
            }
        }
        if (linkLost_)
            workCame_.wait_until(lock, nextReopen_);
        else
            workCame_.wait(lock);
    }
}

void CInstrumentServer::Serve(CServerClient& client, const ServedWork& work) {
    std::unique_lock lock(instrument_.mutex, std::defer_lock);
    // A user operation of the program that holds the link may take a while:
    // the client's line waits for it.
    while (!lock.try_lock_for(TransactionLockWait))
        if (stopping_)
            return;
    {
        std::lock_guard guard(mutex_);
        if (linkLost_) {
            ++droppedWhileLost_;
            return;
        }
    }
    CCommLink& link = instrument_.link;
    const std::string& line = work.lines.front();
    auto failed = [&](const std::string& what) {
        const std::string& why = link.LastFailure();
        Log("\"" + line + "\" from " + client.Name() + " " + what +
            (why.empty() ? "" : " (" + why + ")") + ".");
    };
    switch (work.kind) {
    case LineKind::Query: {
        std::string reply;
        if (link.TransactQuiet(line, &reply) == Link::Success && !reply.empty())
            Reply(client, std::string(WithoutLineEnd(reply)) + "\r\n");
        else
            failed("got no reply");
        break;
    }
    case LineKind::Command:
        if (link.TransactQuiet(line, nullptr) != Link::Success)
            failed("was not sent");
        break;
    case LineKind::TableQuery:
        if (!ServeTable(client, line))
            failed("got no whole table");
        break;
    case LineKind::TableInput:
        for (std::size_t i = 0; i < work.lines.size(); ++i)
            if (link.Transact(work.lines[i], nullptr) != Link::Success) {
                failed("was sent up to line " + std::to_string(i + 1) + " of " +
                       std::to_string(work.lines.size()));
                break;
            }
        break;
    }
    if (link.ConnectionLost()) {
        std::lock_guard guard(mutex_);
        if (!linkLost_) {
            linkLost_ = true;
            reopenWait_ = FirstReopenWait;
            nextReopen_ = Clock::now();
            droppedWhileLost_ = 0;
            Log("The link to the instrument is lost; the server opens it again as soon as it "
                "can.");
        }
    }
}

bool CInstrumentServer::ServeTable(CServerClient& client, const std::string& line) {
    CCommLink& link = instrument_.link;
    int lines = TableQueryLines(line);
    if (lines == 0) {
        std::string count;
        int records = 0;
        if (link.QueryQuiet("DLog:Count?", count) == Link::Success)
            records = std::atoi(std::string(WithoutLineEnd(count)).c_str());
        lines = DatalogHeaderLines + std::max(0, records) + DatalogSlack;
    }
    std::string table;
    if (link.ReadTable(lines, "Reading a table for " + client.Name(), &line, &table) < 0)
        return false;
    Reply(client, AsLanTable(table));
    return true;
}

void CInstrumentServer::Reply(CServerClient& client, const std::string& text) {
    auto& out = client.Out();
    {
        std::lock_guard lock(out.mutex);
        // A client that has gone: its reply goes nowhere.
        if (out.fd < 0)
            return;
        const bool first = out.waiting.empty();
        out.waiting += text;
        if (out.waiting.size() > options_.maxWaitingOutput)
            out.overflow = true;
        else if (first)
            CServerClient::Flush(out);
        if (out.waiting.empty())
            return;
    }
    Wake();
}

void CInstrumentServer::ReopenWhenLost() {
    bool open = false;
    {
        std::unique_lock lock(instrument_.mutex, std::defer_lock);
        if (lock.try_lock_for(TransactionLockWait))
            open = instrument_.reopen && instrument_.reopen();
    }
    std::lock_guard guard(mutex_);
    if (open) {
        linkLost_ = false;
        Log("The link to the instrument is open again" +
            (droppedWhileLost_ > 0 ? "; " + std::to_string(droppedWhileLost_) +
                                         " lines were not sent while it was lost."
                                   : std::string(".")));
        return;
    }
    nextReopen_ = Clock::now() + reopenWait_;
    reopenWait_ = std::min(reopenWait_ * 2, LastReopenWait);
}
