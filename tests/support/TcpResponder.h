#pragma once

#include <arpa/inet.h>
#include <atomic>
#include <functional>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

// A scripted instrument on a real loopback TCP port: it accepts one client and
// answers each line that arrives (without its line feed) with handler(line),
// nothing when that is "". A handler that returns Hangup closes the
// connection instead, as an instrument that drops off the network.
class TcpResponder {
public:
    using Handler = std::function<std::string(const std::string& line)>;
    static inline const std::string Hangup = std::string("\0hangup", 7);
    // A line longer than this is cut: the responder never holds more.
    static constexpr std::size_t MaxLine = 4096;

    explicit TcpResponder(Handler handler) : handler_(std::move(handler)) {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listener_, 1);
        socklen_t length = sizeof address;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~TcpResponder() {
        stop_ = true;
        thread_.join();
        ::close(listener_);
    }
    TcpResponder(const TcpResponder&) = delete;
    TcpResponder& operator=(const TcpResponder&) = delete;

    int Port() const { return port_; }
    // Every line received so far, in order.
    std::vector<std::string> Lines() const {
        std::lock_guard lock(mutex_);
        return lines_;
    }

private:
    // Waits at most 20 ms at a time, so that the end of the test is never held up.
    bool Readable(int fd) {
        pollfd p{fd, POLLIN, 0};
        return ::poll(&p, 1, 20) > 0;
    }

    void Serve() {
        int client = -1;
        while (!stop_ && client < 0)
            if (Readable(listener_))
                client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        std::string line;
        while (!stop_ && client >= 0) {
            if (!Readable(client))
                continue;
            char c;
            if (::recv(client, &c, 1, 0) != 1)
                break;
            if (c != '\n') {
                if (line.size() < MaxLine)
                    line += c;
                continue;
            }
            {
                std::lock_guard lock(mutex_);
                lines_.push_back(line);
            }
            const std::string reply = handler_(line);
            line.clear();
            if (reply == Hangup)
                break;
            if (!reply.empty())
                ::send(client, reply.data(), reply.size(), MSG_NOSIGNAL);
        }
        if (client >= 0)
            ::close(client);
    }

    Handler handler_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
    std::thread thread_;
};
