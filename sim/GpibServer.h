#pragma once

#include "sim/GpibSocketProtocol.h"
#include "sim/SimGpibDevice.h"
#include "sim/SimTransport.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CSimController;

// Serves the controller as a GPIB device to the simulated GPIB library, over
// the Unix stream socket described in GpibSocketProtocol.h.
//
// The socket lives in a private folder (mode 0700) made for this process under
// $XDG_RUNTIME_DIR, or /tmp when that is unset or too long for a socket name;
// Close removes both. Every connection reaches the one device, as every
// descriptor on a real bus reaches the one instrument.
class CGpibServer : public CSimTransport {
public:
    // Connections beyond this wait in the listen queue until one ends.
    static constexpr std::size_t MaxClients = 64;

    CGpibServer(CSimController& controller, int primaryAddress,
                std::chrono::milliseconds replyDelay = std::chrono::milliseconds(0));
    ~CGpibServer() override;
    CGpibServer(const CGpibServer&) = delete;
    CGpibServer& operator=(const CGpibServer&) = delete;

    // Creates the folder and the listening socket; false with `error` telling why.
    bool Open(std::string& error);
    void Close();
    const std::string& SocketPath() const { return socketPath_; }
    // Misbehave as these faults say (SimFaults.h).
    void SetFaults(const std::vector<SimFaultRule>& rules) { device_.SetFaults(rules); }

    void AddPollFds(std::vector<pollfd>& fds, Clock::time_point now) override;
    void HandlePoll(std::span<const pollfd> fds, Clock::time_point now) override;
    std::optional<Clock::time_point> NextWakeup(Clock::time_point now) const override;

private:
    struct Client {
        int fd = -1;
        std::string input;    // a request being received
        std::string output;   // an answer being sent
        bool reading = false; // a Read waits for output or its time-out
        std::uint32_t readAddress = 0;
        std::size_t readCount = 0;
        Clock::time_point readDeadline;
        bool dead = false;
    };

    // False when the connection ended or broke the protocol.
    bool Receive(Client& client, Clock::time_point now);
    // Runs the requests complete in the client's input, one at a time.
    bool Serve(Client& client, Clock::time_point now);
    // Queues the answer; `count` is the byte count for a Write, the data's size for a Read.
    void Answer(Client& client, std::uint32_t status, std::uint32_t error, std::uint32_t count = 0,
                std::string_view data = {});
    void FinishRead(Client& client, Clock::time_point now);
    bool Send(Client& client);
    void Accept(Clock::time_point now);

    CSimGpibDevice device_;
    int listener_ = -1;
    std::string folder_;
    std::string socketPath_;
    std::vector<std::unique_ptr<Client>> clients_;
    // Out of descriptors: the listener rests instead of waking the loop at once.
    Clock::time_point acceptPausedUntil_{};
    bool polledListener_ = false;
    std::size_t polledClients_ = 0;
};
