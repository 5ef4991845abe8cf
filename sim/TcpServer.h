#pragma once

#include "sim/SimFaults.h"
#include "sim/SimLineAssembler.h"
#include "sim/SimReplyQueue.h"
#include "sim/SimTransport.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

class CSimController;

// Serves the controller on a TCP port of the loopback interface, as an
// instrument answers on its LAN port: command lines end with LF (a CR before
// it is dropped), replies with CR LF, exactly as on the pseudo-terminal.
//
// Any number of clients at once (up to MaxClients; more wait in the listen
// queue), each with its own bounded line and reply buffers. A client that
// closes its sending side still gets the replies it asked for; one that goes
// away is dropped, whatever it had pending.
class CTcpServer : public CSimTransport {
public:
    static constexpr std::size_t MaxClients = 256;

    explicit CTcpServer(CSimController& controller,
                        std::chrono::milliseconds replyDelay = std::chrono::milliseconds(0));
    ~CTcpServer() override;
    CTcpServer(const CTcpServer&) = delete;
    CTcpServer& operator=(const CTcpServer&) = delete;

    // Listens on 127.0.0.1:port (0: a free port); false with `error` telling why.
    bool Open(int port, std::string& error);
    // Listens on a free port from `low` to `high`, trying them from a random one
    // on, so that simulators started side by side rarely try the same port.
    bool OpenInRange(int low, int high, std::string& error);
    void Close();
    // The port listened on.
    int Port() const { return port_; }
    // Misbehave as these faults say (SimFaults.h), each connection on its own.
    void SetFaults(const std::vector<SimFaultRule>& rules) { faults_ = rules; }

    void AddPollFds(std::vector<pollfd>& fds, Clock::time_point now) override;
    void HandlePoll(std::span<const pollfd> fds, Clock::time_point now) override;
    std::optional<Clock::time_point> NextWakeup(Clock::time_point now) const override;

private:
    struct Client {
        Client(int socket, std::chrono::milliseconds replyDelay,
               const std::vector<SimFaultRule>& rules)
            : fd(socket), replies(replyDelay), faults(rules), closeWhenSent(faults.GoneAtStart()) {}
        int fd;
        CSimLineAssembler lines;
        CSimReplyQueue replies;
        CSimFaults faults;
        bool closeWhenSent = false; // the fault "hangup": close once the replies are out
        bool inputEnded = false;
        bool dead = false;
    };

    void ReadCommands(Client& client, Clock::time_point now);
    void Execute(Client& client, std::string_view line, Clock::time_point now);
    void Accept(Clock::time_point now);

    CSimController& controller_;
    std::chrono::milliseconds replyDelay_;
    std::vector<SimFaultRule> faults_;
    int listener_ = -1;
    int port_ = 0;
    std::vector<std::unique_ptr<Client>> clients_;
    // Out of descriptors: the listener rests instead of waking the loop at once.
    Clock::time_point acceptPausedUntil_{};
    bool polledListener_ = false;
    std::size_t polledClients_ = 0;
};
