#include "sim/GpibServer.h"

#include "sim/SimServerCalls.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr std::size_t RequestSize = sizeof(GpibWire::Request);

// The folder for the socket: the user's runtime folder when it can hold a socket name.
std::string SocketBase() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat info {};
    // "/tundrix-sim-XXXXXX/gpib" and the terminating zero must fit in sun_path.
    if (runtime != nullptr && runtime[0] == '/' &&
        std::strlen(runtime) + 26 < sizeof(sockaddr_un::sun_path) && ::stat(runtime, &info) == 0 &&
        S_ISDIR(info.st_mode)) {
        return runtime;
    }
    return "/tmp";
}

GpibWire::Request Header(const std::string& input) {
    GpibWire::Request request{};
    std::memcpy(&request, input.data(), RequestSize);
    return request;
}

bool ValidHeader(const GpibWire::Request& request) {
    switch (request.op) {
    case GpibWire::Write:
        return request.length <= GpibWire::MaxData;
    case GpibWire::Read:
        return request.length == 0 && request.value <= GpibWire::MaxData &&
               request.timeoutUs <= GpibWire::MaxTimeoutUs;
    case GpibWire::Clear:
        return request.length == 0;
    default:
        return false;
    }
}

} // namespace

CGpibServer::CGpibServer(CSimController& controller, int primaryAddress,
                         std::chrono::milliseconds replyDelay)
    : device_(controller, primaryAddress, replyDelay) {}

CGpibServer::~CGpibServer() {
    Close();
}

bool CGpibServer::Open(std::string& error) {
    Close();
    std::string folder = SocketBase() + "/tundrix-sim-XXXXXX";
    if (::mkdtemp(folder.data()) == nullptr) {
        error = Failure("mkdtemp " + folder);
        return false;
    }
    folder_ = folder;
    const std::string path = folder_ + "/gpib";
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);

    listener_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (listener_ < 0) {
        error = Failure("socket");
        Close();
        return false;
    }
    if (::bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        error = Failure("bind " + path);
        Close();
        return false;
    }
    socketPath_ = path;
    if (::listen(listener_, 16) != 0) {
        error = Failure("listen " + path);
        Close();
        return false;
    }
    return true;
}

void CGpibServer::Close() {
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
    if (!socketPath_.empty()) {
        ::unlink(socketPath_.c_str());
        socketPath_.clear();
    }
    if (!folder_.empty()) {
        ::rmdir(folder_.c_str());
        folder_.clear();
    }
    device_.Clear();
}

void CGpibServer::AddPollFds(std::vector<pollfd>& fds, Clock::time_point now) {
    polledListener_ = listener_ >= 0 && clients_.size() < MaxClients && now >= acceptPausedUntil_;
    if (polledListener_) {
        fds.push_back({listener_, POLLIN, 0});
    }
    for (const auto& client : clients_) {
        // One request at a time: the next is read once the answer is out.
        short events = 0;
        if (!client->output.empty()) {
            events = POLLOUT;
        } else if (!client->reading) {
            events = POLLIN;
        }
        // A peer that goes away is still reported (POLLHUP) while events is 0.
        fds.push_back({client->fd, events, 0});
    }
    polledClients_ = clients_.size();
}

void CGpibServer::HandlePoll(std::span<const pollfd> fds, Clock::time_point now) {
    if (listener_ < 0) {
        return;
    }
    device_.Advance(now);
    const std::size_t first = polledListener_ ? 1 : 0;
    for (std::size_t i = 0; i < polledClients_ && first + i < fds.size(); ++i) {
        Client& client = *clients_[i];
        const short revents = fds[first + i].revents;
        // Data that came before a hang-up is still read.
        if ((revents & POLLIN) != 0 && (revents & (POLLERR | POLLNVAL)) == 0) {
            client.dead = !Receive(client, now);
        } else if ((revents & (POLLERR | POLLNVAL | POLLHUP)) != 0) {
            client.dead = true;
        }
    }
    // Every client, so that waiting reads see output that came from another one.
    for (const auto& client : clients_) {
        if (!client->dead) {
            client->dead = !Serve(*client, now) || !Send(*client);
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
CGpibServer::NextWakeup(Clock::time_point now) const {
    std::optional<Clock::time_point> next = device_.NextDue();
    if (acceptPausedUntil_ > now) {
        next = next ? std::min(*next, acceptPausedUntil_) : acceptPausedUntil_;
    }
    for (const auto& client : clients_) {
        if (client->reading && (!next || client->readDeadline < *next)) {
            next = client->readDeadline;
        }
    }
    return next;
}

bool CGpibServer::Receive(Client& client, Clock::time_point now) {
    // Only up to the end of the current request, so that a second one stays in the socket.
    while (true) {
        std::size_t wanted = RequestSize;
        if (client.input.size() >= RequestSize) {
            const GpibWire::Request request = Header(client.input);
            if (!ValidHeader(request)) {
                return false;
            }
            wanted += request.length;
        }
        if (client.input.size() == wanted) {
            return Serve(client, now);
        }
        const std::size_t had = client.input.size();
        client.input.resize(wanted);
        const ssize_t count = ::recv(client.fd, client.input.data() + had, wanted - had, 0);
        client.input.resize(had + static_cast<std::size_t>(std::max<ssize_t>(count, 0)));
        if (count == 0) {
            return false;
        }
        if (count < 0) {
            return errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK;
        }
    }
}

bool CGpibServer::Serve(Client& client, Clock::time_point now) {
    if (client.reading) {
        FinishRead(client, now);
        return true;
    }
    if (!client.output.empty() || client.input.size() < RequestSize) {
        return true;
    }
    const GpibWire::Request request = Header(client.input);
    if (client.input.size() < RequestSize + request.length) {
        return true;
    }
    const std::string_view data(client.input.data() + RequestSize, request.length);
    switch (request.op) {
    case GpibWire::Write:
        if (!device_.Listens(request.address)) {
            Answer(client, GpibWire::Err, GpibWire::Enol);
            break;
        }
        device_.Write(data, (request.value & GpibWire::EoiFlag) != 0, now);
        Answer(client, GpibWire::Cmpl, 0, request.length);
        break;
    case GpibWire::Read:
        client.reading = true;
        client.readAddress = request.address;
        client.readCount = request.value;
        client.readDeadline = now + std::chrono::microseconds(request.timeoutUs);
        FinishRead(client, now);
        break;
    case GpibWire::Clear:
        if (!device_.IsAt(request.address)) {
            Answer(client, GpibWire::Err, GpibWire::Enol);
            break;
        }
        device_.Clear();
        Answer(client, GpibWire::Cmpl, 0);
        break;
    default:
        return false;
    }
    client.input.clear();
    return true;
}

void CGpibServer::FinishRead(Client& client, Clock::time_point now) {
    if (client.readCount == 0) {
        client.reading = false;
        Answer(client, GpibWire::Cmpl, 0);
    } else if (device_.IsAt(client.readAddress) && device_.HasOutput()) {
        client.reading = false;
        bool end = false;
        const std::string piece = device_.Read(client.readCount, end);
        Answer(client, GpibWire::Cmpl | (end ? GpibWire::End : 0), 0,
               static_cast<std::uint32_t>(piece.size()), piece);
    } else if (now >= client.readDeadline) {
        client.reading = false;
        Answer(client, GpibWire::Err | GpibWire::Timo, GpibWire::Eabo);
    }
}

void CGpibServer::Answer(Client& client, std::uint32_t status, std::uint32_t error,
                         std::uint32_t count, std::string_view data) {
    const GpibWire::Answer answer{status, error, count};
    client.output.assign(reinterpret_cast<const char*>(&answer), sizeof answer);
    client.output += data;
}

bool CGpibServer::Send(Client& client) {
    while (!client.output.empty()) {
        const ssize_t count = ::send(client.fd, client.output.data(), client.output.size(),
                                     MSG_NOSIGNAL | MSG_DONTWAIT);
        if (count < 0) {
            return errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK;
        }
        client.output.erase(0, static_cast<std::size_t>(count));
    }
    return true;
}

void CGpibServer::Accept(Clock::time_point now) {
    while (clients_.size() < MaxClients) {
        const int fd = AcceptConnection(listener_, now, acceptPausedUntil_);
        if (fd < 0) {
            return;
        }
        auto client = std::make_unique<Client>();
        client->fd = fd;
        clients_.push_back(std::move(client));
    }
}
