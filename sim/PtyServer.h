#pragma once

#include "sim/SimFaults.h"
#include "sim/SimLineAssembler.h"
#include "sim/SimLinePacer.h"
#include "sim/SimReplyQueue.h"
#include "sim/SimTransport.h"

#include <chrono>
#include <string>

class CSimController;

// Serves the controller on a pseudo-terminal, as a serial instrument would
// answer on its RS232 port: command lines end with LF, replies with CR LF.
//
// The slave side is put in raw mode without echo before its name is given
// out, and one descriptor of it stays open here: otherwise the master would
// read EIO each time a client closes the device, and replies would echo back
// as commands.
class CPtyServer : public CSimTransport {
public:
    // `lineRate` in baud paces both directions as a serial line of that speed
    // would (10 bits a byte); 0 takes and gives bytes as fast as they come.
    explicit CPtyServer(CSimController& controller,
                        std::chrono::milliseconds replyDelay = std::chrono::milliseconds(0),
                        int lineRate = 0);
    ~CPtyServer() override;
    CPtyServer(const CPtyServer&) = delete;
    CPtyServer& operator=(const CPtyServer&) = delete;

    // Creates the pseudo-terminal; false with `error` telling why.
    bool Open(std::string& error);
    void Close();
    // The device a client opens, "/dev/pts/N".
    const std::string& SlavePath() const { return slavePath_; }
    // Misbehave as these faults say (SimFaults.h); before Open.
    void SetFaults(const std::vector<SimFaultRule>& rules) { faults_ = CSimFaults(rules); }

    void AddPollFds(std::vector<pollfd>& fds, Clock::time_point now) override;
    void HandlePoll(std::span<const pollfd> fds, Clock::time_point now) override;
    std::optional<Clock::time_point> NextWakeup(Clock::time_point now) const override;

private:
    void ReadCommands(Clock::time_point now);
    void WriteReplies(Clock::time_point now);
    void Execute(std::string_view line, Clock::time_point now);
    // The fault "hangup": the line goes, as when a cable is pulled.
    void HangUp();

    CSimController& controller_;
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
    CSimLineAssembler lines_;
    CSimReplyQueue replies_;
    CSimLinePacer readPace_;
    CSimLinePacer writePace_;
    // The line rate held bytes back: wait for the pacer, not for the descriptor.
    bool readHeld_ = false;
    bool writeHeld_ = false;
    CSimFaults faults_;
    bool hangUpWhenSent_ = false;
    bool goneAtStart_ = false; // hangup:0: the line goes before anything is read
    Clock::time_point hangUpAt_{};
    Clock::time_point sentAt_{};
};
