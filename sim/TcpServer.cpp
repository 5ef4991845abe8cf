#include "sim/TcpServer.h"

#include "sim/SimController.h"
#include "sim/SimServerCalls.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <random>
#include <sys/socket.h>
#include <unistd.h>

namespace {} // namespace

CTcpServer::CTcpServer(CSimController& controller, std::chrono::milliseconds replyDelay)
    : controller_(controller), replyDelay_(replyDelay) {}

CTcpServer::~CTcpServer() {
    Close();
}

bool CTcpServer::Open(int port, std::string& error) {
    Close();
    const std::string where = "127.0.0.1:" + std::to_string(port);
    if (port < 0 || port > 65535) {
        error = where + ": not a port number";
        return false;
    }
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (listener_ < 0) {
        error = Failure("socket");
        return false;
    }
    // A port of a simulator that just ended can be taken again at once.
    const int on = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, SOMAXCONN) != 0) {
        const int failure = errno;
        error = Failure(where);
        Close();
        errno = failure; // for OpenInRange: a taken port, or a reason to stop
        return false;
    }
    socklen_t length = sizeof address;
    if (::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        error = Failure("getsockname");
        Close();
        return false;
    }
    port_ = ntohs(address.sin_port);
    return true;
}

bool CTcpServer::OpenInRange(int low, int high, std::string& error) {
    if (low < 1 || high > 65535 || low > high) {
        error = std::to_string(low) + "-" + std::to_string(high) + ": not a range of ports";
        return false;
    }
    const int count = high - low + 1;
    std::random_device seed;
    const int first = std::uniform_int_distribution<int>(0, count - 1)(seed);
    for (int i = 0; i < count; ++i) {
        const int port = low + (first + i) % count;
        if (Open(port, error))
            return true;
        // Another reason than a taken port will not go away with the next one.
        if (errno != EADDRINUSE && errno != EACCES)
            return false;
    }
    error = "127.0.0.1: no free port from " + std::to_string(low) + " to " + std::to_string(high);
    return false;
}

void CTcpServer::Close() {
    for (const auto& client : clients_) {
        ::close(client->fd);
    }
    clients_.clear();
    polledClients_ = 0;
    polledListener_ = false;
    if (listener_ >= 0) {
        ::close(listener_);
        listener_ = -1;
    }
    port_ = 0;
}

void CTcpServer::AddPollFds(std::vector<pollfd>& fds, Clock::time_point now) {
    polledListener_ = listener_ >= 0 && clients_.size() < MaxClients && now >= acceptPausedUntil_;
    if (polledListener_) {
        fds.push_back({listener_, POLLIN, 0});
    }
    for (const auto& client : clients_) {
        short events = client->inputEnded ? 0 : POLLIN;
        if (client->replies.WantsWrite(now)) {
            events |= POLLOUT;
        }
        fds.push_back({client->fd, events, 0});
    }
    polledClients_ = clients_.size();
}

void CTcpServer::HandlePoll(std::span<const pollfd> fds, Clock::time_point now) {
    if (listener_ < 0) {
        return;
    }
    const std::size_t first = polledListener_ ? 1 : 0;
    for (std::size_t i = 0; i < polledClients_ && first + i < fds.size(); ++i) {
        Client& client = *clients_[i];
        const short revents = fds[first + i].revents;
        if ((revents & POLLNVAL) != 0 || (client.inputEnded && (revents & POLLHUP) != 0)) {
            client.dead = true;
        } else if ((revents & (POLLIN | POLLHUP | POLLERR)) != 0 && !client.inputEnded) {
            ReadCommands(client, now);
        }
    }
    for (const auto& client : clients_) {
        if (client->dead) {
            continue;
        }
        // EPIPE, ECONNRESET: the client went away with replies still due.
        if (client->replies.Flush(client->fd, now) != 0 ||
            ((client->inputEnded || client->closeWhenSent) &&
             client->replies.PendingReplies() == 0)) {
            client->dead = true;
        }
    }
    std::erase_if(clients_, [](const std::unique_ptr<Client>& client) {
        if (client->dead) {
            ::close(client->fd);
        }
        return client->dead;
    });
    if (polledListener_ && (fds[0].revents & POLLIN) != 0) {
        Accept(now);
    }
}

std::optional<CSimTransport::Clock::time_point>
CTcpServer::NextWakeup(Clock::time_point now) const {
    std::optional<Clock::time_point> next;
    if (acceptPausedUntil_ > now) {
        next = acceptPausedUntil_;
    }
    for (const auto& client : clients_) {
        if (client->closeWhenSent && client->replies.PendingReplies() == 0) {
            return now;
        }
        if (const auto wakeup = client->replies.NextWakeup(now);
            wakeup && (!next || *wakeup < *next)) {
            next = wakeup;
        }
    }
    return next;
}

void CTcpServer::ReadCommands(Client& client, Clock::time_point now) {
    // Bounded per wake-up so that one chatty client cannot starve the others.
    char buffer[4096];
    for (int round = 0; round < 16; ++round) {
        const ssize_t count = ::recv(client.fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            client.dead = errno != EAGAIN && errno != EWOULDBLOCK;
            return;
        }
        if (count == 0) {
            client.inputEnded = true;
            return;
        }
        client.lines.Feed(
            std::string_view(buffer, static_cast<std::size_t>(count)),
            [&](std::string_view line) { Execute(client, line, now); },
            [&] { controller_.ReportInputOverrun(); });
    }
}

void CTcpServer::Execute(Client& client, std::string_view line, Clock::time_point now) {
    if (!client.faults.Serves()) {
        return;
    }
    std::optional<std::string> reply = controller_.Execute(line);
    if (reply) {
        *reply += "\r\n";
    }
    CSimFaults::Outcome out = client.faults.Shape(reply);
    for (auto& piece : out.pieces) {
        client.replies.PushAt(std::move(piece.bytes), now + piece.delay);
    }
    if (out.startStream) {
        client.replies.StartStream();
    }
    client.closeWhenSent = client.closeWhenSent || out.hangUpAfter;
}

void CTcpServer::Accept(Clock::time_point now) {
    while (clients_.size() < MaxClients) {
        const int fd = AcceptConnection(listener_, now, acceptPausedUntil_);
        if (fd < 0) {
            return;
        }
        // Replies are single short lines: send each at once.
        const int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        clients_.push_back(std::make_unique<Client>(fd, replyDelay_, faults_));
    }
}
