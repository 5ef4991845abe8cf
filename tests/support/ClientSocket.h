#pragma once

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

// A client of the instrument server over a real loopback connection, from
// `from` (another loopback address to be refused). Every read has its bound.
class ClientSocket {
public:
    // `receiveBuffer`, when not 0, keeps the kernel from taking many replies
    // that the client does not read.
    explicit ClientSocket(int port, const char* from = nullptr, int receiveBuffer = 0) {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (receiveBuffer > 0)
            ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        if (from) {
            ::inet_pton(AF_INET, from, &address.sin_addr);
            ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        }
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~ClientSocket() { Close(); }
    ClientSocket(const ClientSocket&) = delete;
    ClientSocket& operator=(const ClientSocket&) = delete;

    bool Connected() const { return connected_; }
    void Close() {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }
    bool Send(const std::string& text) {
        return ::send(fd_, text.data(), text.size(), MSG_NOSIGNAL) ==
               static_cast<ssize_t>(text.size());
    }
    // The next line with its CR LF; "" when none came within `limit`.
    std::string Line(std::chrono::milliseconds limit = std::chrono::seconds(3)) {
        return Until("\r\n", limit);
    }
    // Up to and with the ";" line of a table.
    std::string Table(std::chrono::milliseconds limit = std::chrono::seconds(5)) {
        if (pending_.starts_with(";"))
            return Until(";\r\n", limit);
        return Until("\r\n;\r\n", limit);
    }
    // True once the server has closed the connection, within `limit`.
    bool ClosedByServer(std::chrono::milliseconds limit = std::chrono::seconds(3)) {
        while (Receive(limit) > 0) {
        }
        return closed_;
    }

private:
    std::string Until(const std::string& end, std::chrono::milliseconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        for (;;) {
            if (auto found = pending_.find(end); found != std::string::npos) {
                std::string text = pending_.substr(0, found + end.size());
                pending_.erase(0, found + end.size());
                return text;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0 || Receive(left) <= 0)
                return {};
        }
    }
    ssize_t Receive(std::chrono::milliseconds limit) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(limit.count())) <= 0)
            return 0;
        char buffer[8192];
        const ssize_t got = ::recv(fd_, buffer, sizeof buffer, 0);
        if (got <= 0)
            closed_ = true;
        else
            pending_.append(buffer, static_cast<std::size_t>(got));
        return got;
    }

    int fd_ = -1;
    bool connected_ = false;
    bool closed_ = false;
    std::string pending_;
};
