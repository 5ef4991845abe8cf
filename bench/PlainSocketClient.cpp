#include "bench/PlainSocketClient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

PlainSocketClient::~PlainSocketClient() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool PlainSocketClient::Connect(int port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(static_cast<std::uint16_t>(port));
    peer.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    // As the link does: a line goes out at once, not held back for more.
    int on = 1;
    return fd_ >= 0 && ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on) == 0 &&
           ::connect(fd_, reinterpret_cast<sockaddr*>(&peer), sizeof peer) == 0;
}

bool PlainSocketClient::Query(std::string_view line, std::string& reply) {
    out_.assign(line);
    out_ += '\n';
    if (::send(fd_, out_.data(), out_.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(out_.size()))
        return false;
    reply.clear();
    char buffer[256];
    while (reply.empty() || reply.back() != '\n') {
        const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
        if (n <= 0)
            return false;
        reply.append(buffer, static_cast<std::size_t>(n));
    }
    return true;
}
