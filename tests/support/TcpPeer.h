#pragma once

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

// The far end of a real loopback TCP connection: listens on a free port,
// accepts one client, reads and writes raw bytes.
class TcpPeer {
public:
    TcpPeer() {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listener_, 4);
        socklen_t length = sizeof address;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
    }
    ~TcpPeer() {
        CloseClient();
        ::close(listener_);
    }
    TcpPeer(const TcpPeer&) = delete;
    TcpPeer& operator=(const TcpPeer&) = delete;

    int Port() const { return port_; }

    bool Accept(std::chrono::milliseconds limit = std::chrono::seconds(2)) {
        pollfd p{listener_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(limit.count())) <= 0)
            return false;
        client_ = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        return client_ >= 0;
    }
    // True once the code under test has closed its end, within `limit`.
    bool ClientClosed(std::chrono::milliseconds limit = std::chrono::seconds(2)) {
        auto deadline = std::chrono::steady_clock::now() + limit;
        while (client_ >= 0 && std::chrono::steady_clock::now() < deadline) {
            pollfd p{client_, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0)
                continue;
            char buffer[4096];
            ssize_t n = ::recv(client_, buffer, sizeof buffer, 0);
            if (n <= 0)
                return true;
        }
        return false;
    }
    void CloseClient() {
        if (client_ >= 0)
            ::close(client_);
        client_ = -1;
    }
    void Write(const std::string& bytes) {
        if (client_ >= 0)
            ::send(client_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    }
    // Everything that arrives until `quiet` passes without a byte, at most `limit`.
    std::string Read(std::chrono::milliseconds quiet = std::chrono::milliseconds(50),
                     std::chrono::milliseconds limit = std::chrono::milliseconds(2000)) {
        std::string got;
        auto deadline = std::chrono::steady_clock::now() + limit;
        while (client_ >= 0 && std::chrono::steady_clock::now() < deadline) {
            pollfd p{client_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(quiet.count())) <= 0)
                break;
            char buffer[4096];
            ssize_t n = ::recv(client_, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            got.append(buffer, static_cast<std::size_t>(n));
        }
        return got;
    }

private:
    int listener_ = -1;
    int client_ = -1;
    int port_ = 0;
};
