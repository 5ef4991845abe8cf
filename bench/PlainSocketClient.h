#pragma once

#include <string>
#include <string_view>

// The plainest client of an instrument's LAN port: one blocking socket, a line
// out with its line feed, then reads until the reply's line feed. The link's
// LAN queries are measured against it.
class PlainSocketClient {
public:
    PlainSocketClient() = default;
    ~PlainSocketClient();
    PlainSocketClient(const PlainSocketClient&) = delete;
    PlainSocketClient& operator=(const PlainSocketClient&) = delete;

    // To 127.0.0.1:port; false when no connection was made.
    bool Connect(int port);
    // `reply`: up to and with its line feed. False when the connection failed.
    bool Query(std::string_view line, std::string& reply);

private:
    int fd_ = -1;
    std::string out_;
};
