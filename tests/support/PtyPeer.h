#pragma once

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>

// The far end of a real pseudo-terminal: the code under test opens Device()
// as its serial port, the test reads and writes the raw bytes on the line.
class PtyPeer {
public:
    PtyPeer() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
            return;
        char name[128];
        if (::ptsname_r(master_, name, sizeof name) == 0)
            device_ = name;
        // Keep the slave open ourselves so the line stays up between opens.
        keep_ = ::open(device_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        termios tio{};
        ::tcgetattr(keep_, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(keep_, TCSANOW, &tio);
    }
    ~PtyPeer() {
        StopResponder();
        if (keep_ >= 0)
            ::close(keep_);
        if (master_ >= 0)
            ::close(master_);
    }
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    const std::string& Device() const { return device_; }
    int Master() const { return master_; }

    // Hangs the line up, as when the cable is pulled: the code under test then
    // reads EIO (or nothing) at once, and the device cannot be used again.
    void HangUp() {
        StopResponder();
        if (master_ >= 0)
            ::close(master_);
        master_ = -1;
    }

    void Write(const std::string& bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
            if (n <= 0)
                return;
            done += static_cast<std::size_t>(n);
        }
    }

    // Everything that arrives within `quiet` of silence, waiting at most `limit`.
    std::string Read(std::chrono::milliseconds quiet = std::chrono::milliseconds(50),
                     std::chrono::milliseconds limit = std::chrono::milliseconds(2000)) {
        std::string got;
        auto deadline = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < deadline) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(quiet.count())) <= 0)
                break;
            char buffer[4096];
            ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n <= 0)
                break;
            got.append(buffer, static_cast<std::size_t>(n));
        }
        return got;
    }

    // Answers each line that arrives with handler(line) (nothing when it
    // returns ""), until StopResponder.
    void StartResponder(std::function<std::string(const std::string&)> handler) {
        StopResponder();
        stop_ = false;
        responder_ = std::thread([this, handler = std::move(handler)] {
            std::string line;
            while (!stop_) {
                pollfd p{master_, POLLIN, 0};
                if (::poll(&p, 1, 20) <= 0)
                    continue;
                char c;
                if (::read(master_, &c, 1) != 1)
                    continue;
                if (c != '\n') {
                    line += c;
                    continue;
                }
                std::string reply = handler(line);
                line.clear();
                if (!reply.empty())
                    Write(reply);
            }
        });
    }
    void StopResponder() {
        stop_ = true;
        if (responder_.joinable())
            responder_.join();
    }

private:
    int master_ = -1;
    int keep_ = -1;
    std::string device_;
    std::atomic<bool> stop_{false};
    std::thread responder_;
};
