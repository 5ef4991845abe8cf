#include "comm/TethraLink.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#include "base/BusyWait.h"

namespace {

using Clock = std::chrono::steady_clock;

} // namespace

CTethraLink::~CTethraLink() {
    Disconnect();
}

void CTethraLink::SetTimeouts(std::chrono::milliseconds connect, std::chrono::milliseconds read,
                              std::chrono::milliseconds tableSettle) {
    connectTimeout_ = connect;
    readTimeout_ = read;
    tableSettle_ = tableSettle;
}

int CTethraLink::Connect(const std::string& address, int port) {
    StopTable();
    std::lock_guard lock(mutex_);
    if (socket_ >= 0) {
        if (address == address_ && port == port_ && !PeerGone())
            return 2;
        // The instrument went away, or another one is wanted: start afresh.
        CloseSocket();
    }
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(static_cast<std::uint16_t>(port));
    const std::string where = address + ":" + std::to_string(port);
    if (port < 0 || port > 65535 || ::inet_pton(AF_INET, address.c_str(), &peer.sin_addr) != 1) {
        lastError_ = where + ": not an IPv4 address and port";
        return 0;
    }
    std::string busy;
    if (!lock_.Acquire("lan-" + address + "-" + std::to_string(port), busy)) {
        lastError_ = where + ": " + busy;
        return 0;
    }
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        lastError_ = std::string("socket: ") + std::strerror(errno);
        lock_.Release();
        return 0;
    }
    int failure = 0;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&peer), sizeof peer) != 0) {
        failure = errno;
        if (failure == EINPROGRESS) {
            pollfd p{fd, POLLOUT, 0};
            int ready = PollPumped(&p, 1, static_cast<int>(connectTimeout_.count()));
            socklen_t length = sizeof failure;
            if (ready <= 0)
                failure = ETIMEDOUT;
            else if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &failure, &length) != 0)
                failure = errno;
        }
    }
    if (failure != 0) {
        lastError_ = where + ": " + std::strerror(failure);
        ::close(fd);
        lock_.Release();
        return 0;
    }
    int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    socket_ = fd;
    address_ = address;
    port_ = port;
    peerGone_ = false;
    pending_.clear();
    replyEnded_ = false;
    return 1;
}

void CTethraLink::Disconnect() {
    StopTable();
    std::lock_guard lock(mutex_);
    CloseSocket();
}

void CTethraLink::CloseSocket() {
    lossUnreported_ = false;
    if (socket_ >= 0)
        ::close(socket_);
    socket_ = -1;
    address_.clear();
    port_ = -1;
    lock_.Release();
    pending_.clear();
    replyEnded_ = false;
}

// Whether the instrument has closed its end (or reset the connection): it
// will not answer on this connection again, whatever it left unread.
bool CTethraLink::PeerGone() const {
    if (peerGone_)
        return true;
    pollfd p{socket_, POLLRDHUP, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL));
}

bool CTethraLink::IsConnected() const {
    std::lock_guard lock(mutex_);
    return socket_ >= 0;
}

std::string CTethraLink::LastError() const {
    std::lock_guard lock(mutex_);
    return lastError_;
}

bool CTethraLink::WaitReadable(std::chrono::milliseconds timeout) const {
    pollfd p{socket_, POLLIN, 0};
    int ready;
    do
        ready = PollPumped(&p, 1, static_cast<int>(timeout.count()));
    while (ready < 0 && errno == EINTR);
    return ready > 0;
}

// Adds what the socket holds to pending_, waiting up to `timeout` for the first
// byte; false on silence, a closed connection or an error. A connection the
// instrument closed or reset is closed here too.
bool CTethraLink::ReceiveMore(std::chrono::milliseconds timeout) {
    if (!WaitReadable(timeout)) {
        lastError_ = "the instrument did not answer in time";
        return false;
    }
    char buffer[4096];
    ssize_t n = ::recv(socket_, buffer, sizeof buffer, 0);
    if (n > 0) {
        pending_.append(buffer, static_cast<std::size_t>(n));
        return true;
    }
    if (n < 0 && (errno == EINTR || errno == EAGAIN))
        return true;
    lastError_ = n == 0 ? std::string("the instrument closed the connection")
                        : std::string("receive: ") + std::strerror(errno);
    CloseSocket();
    return false;
}

// A reply that came after its reader gave up must not answer the next command.
bool CTethraLink::DiscardInput() {
    pending_.clear();
    replyEnded_ = false;
    char buffer[4096];
    for (;;) {
        ssize_t n = ::recv(socket_, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n > 0)
            continue;
        if (n < 0 && errno == EINTR)
            continue;
        return !(n == 0 || (n < 0 && errno != EAGAIN));
    }
}

bool CTethraLink::DiscardLateReply(std::chrono::milliseconds wait, std::string& discarded,
                                   bool wholeWait) {
    std::lock_guard lock(mutex_);
    discarded.clear();
    if (socket_ < 0 || tableState_ == TableState::Running)
        return false;
    discarded = std::move(pending_);
    pending_.clear();
    replyEnded_ = false;
    auto deadline = Clock::now() + wait;
    while ((wholeWait || discarded.find('\n') == std::string::npos) &&
           discarded.size() < MaxTableSize) {
        const int left = MillisecondsUntil(deadline);
        if (left == 0 || !ReceiveMore(std::chrono::milliseconds(left)))
            break;
        discarded += pending_;
        pending_.clear();
    }
    if (socket_ >= 0 && !DiscardInput()) {
        lastError_ = "the instrument closed the connection";
        CloseSocket();
    }
    // Found between two transactions: the next send is the one that fails for it.
    lossUnreported_ = socket_ < 0;
    return !discarded.empty();
}

int CTethraLink::Send(const char* data, std::size_t length, int terminate) {
    std::lock_guard lock(mutex_);
    if (socket_ >= 0 && peerGone_) {
        lastError_ = "the instrument closed the connection";
        CloseSocket();
    }
    if (socket_ < 0 && lossUnreported_) {
        lossUnreported_ = false;
        return 1;
    }
    if (socket_ < 0 || tableState_ == TableState::Running) {
        lastError_ = socket_ < 0 ? "not connected (Connect first)" : "a table transfer is running";
        return 2;
    }
    if (!DiscardInput()) {
        lastError_ = "the instrument closed the connection";
        CloseSocket();
        return 1;
    }
    std::string line(data, length);
    if (terminate == 1)
        line += '\n';
    auto deadline = Clock::now() + readTimeout_;
    std::size_t done = 0;
    while (done < line.size()) {
        ssize_t n = ::send(socket_, line.data() + done, line.size() - done, MSG_NOSIGNAL);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            lastError_ = std::string("send: ") + std::strerror(errno);
            CloseSocket();
            return 1;
        }
        pollfd p{socket_, POLLOUT, 0};
        if (MillisecondsUntil(deadline) == 0 ||
            PollPumped(&p, 1, MillisecondsUntil(deadline)) <= 0) {
            lastError_ = "send: the instrument does not take the line";
            CloseSocket();
            return 1;
        }
    }
    return 0;
}

int CTethraLink::Read(char* buffer, std::size_t size, std::size_t* length) {
    std::lock_guard lock(mutex_);
    if (length)
        *length = 0;
    if (size == 0 || socket_ < 0 || tableState_ == TableState::Running)
        return 0;
    buffer[0] = '\0';
    if (replyEnded_) {
        replyEnded_ = false;
        return 1;
    }
    while (pending_.empty())
        if (socket_ < 0 || !ReceiveMore(readTimeout_))
            return 0;
    std::size_t take = std::min(pending_.size(), size - 1);
    auto lineEnd = pending_.find('\n');
    if (lineEnd != std::string::npos && lineEnd < take) {
        take = lineEnd + 1;
        replyEnded_ = true;
    }
    std::memcpy(buffer, pending_.data(), take);
    buffer[take] = '\0';
    pending_.erase(0, take);
    if (length)
        *length = take;
    return 1;
}

int CTethraLink::Get_Table(const char* command, std::size_t length) {
    StopTable();
    if (Send(command, length, 1) != 0)
        return 0;
    std::lock_guard lock(mutex_);
    table_ = std::move(pending_);
    pending_.clear();
    tableLines_ = 0;
    stopTable_ = false;
    tableState_ = TableState::Running;
    tableThread_ = std::thread([this] { ReceiveTable(); });
    return 1;
}

// The table thread owns the socket while the transfer runs: Send and Read refuse.
void CTethraLink::ReceiveTable() {
    std::size_t scanned = 0;
    auto lastData = Clock::now();
    for (;;) {
        for (auto end = table_.find('\n', scanned); end != std::string::npos;
             end = table_.find('\n', scanned)) {
            bool last = table_[scanned] == ';';
            scanned = end + 1;
            if (last) {
                // What came after the ";" line (a reply sent twice) is not this table.
                table_.resize(scanned);
                tableState_ = TableState::Complete;
                return;
            }
            ++tableLines_;
        }
        if (stopTable_ || table_.size() > tableLimit_ || Clock::now() - lastData > readTimeout_) {
            tableState_ = TableState::Failed;
            return;
        }
        if (!WaitReadable(std::chrono::milliseconds(50)))
            continue;
        char buffer[8192];
        ssize_t n = ::recv(socket_, buffer, sizeof buffer, 0);
        if (n <= 0 && !(n < 0 && (errno == EINTR || errno == EAGAIN))) {
            // The instrument went away: the next call closes the connection.
            peerGone_ = true;
            tableState_ = TableState::Failed;
            return;
        }
        if (n > 0) {
            table_.append(buffer, static_cast<std::size_t>(n));
            lastData = Clock::now();
        }
    }
}

void CTethraLink::StopTable() {
    stopTable_ = true;
    if (tableThread_.joinable())
        tableThread_.join();
    stopTable_ = false;
}

int CTethraLink::Get_Table_In_Progress() const {
    return tableState_ != TableState::Idle ? 1 : 0;
}

int CTethraLink::Get_Received_Counter(int* count) const {
    if (!count || tableState_ == TableState::Failed || tableState_ == TableState::Idle)
        return 0;
    *count = tableLines_;
    return 1;
}

int CTethraLink::Table_Ready() const {
    auto deadline = Clock::now() + tableSettle_;
    // On the window's thread the windows keep painting while the ";" is awaited.
    std::optional<CPumpedWait> wait;
    if (IEventPump* pump = ActiveWaitPump(); pump != nullptr)
        wait.emplace(*pump);
    while (tableState_ == TableState::Running && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (wait)
            wait->Pump();
    }
    return tableState_ == TableState::Complete ? 1 : 0;
}

int CTethraLink::Table_Finished() const {
    TableState state = tableState_;
    return state == TableState::Complete || state == TableState::Failed ? 1 : 0;
}

int CTethraLink::Get_Received_Buffer(std::string& table) const {
    if (tableState_ != TableState::Complete)
        return 0;
    table = table_;
    return 1;
}
