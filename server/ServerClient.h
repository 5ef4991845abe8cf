#pragma once

#include <chrono>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/ServedLine.h"

// One transaction a client asked for: a line, or a whole table input from its
// opening line to its ";" line, which the instrument must take in one piece.
struct ServedWork {
    LineKind kind = LineKind::Command;
    std::vector<std::string> lines;
};

// One client of the shared instrument. The server's network thread turns what
// the client sends into work (ServedWork); the transaction thread serves it
// and hands the replies back through Output.
class CServerClient {
public:
    using Clock = std::chrono::steady_clock;
    // Bytes taken from a client before its line ends, and lines of one table input.
    static constexpr std::size_t MaxPendingBytes = 4096;
    static constexpr std::size_t MaxTableInputLines = 256;

    CServerClient(int fd, std::string name) : name_(std::move(name)) { out_.fd = fd; }

    const std::string& Name() const { return name_; }

    // Network thread. Appends what came; the room left for more.
    void Heard(std::string_view bytes, Clock::time_point now);
    std::size_t Room() const { return MaxPendingBytes - pending_.size(); }
    Clock::time_point LastHeard() const { return lastHeard_; }
    // The next whole piece of work in what came, or nothing yet. A line the
    // server refuses (too long, with a control character, or one that would
    // change a read-only instrument) is dropped with a note saying why.
    std::optional<ServedWork> NextWork(bool readOnly, std::vector<std::string>& notes);

    // The socket and the replies not yet sent, shared by both threads: a
    // reply is sent at once when it can be, the rest when the socket takes it.
    struct Output {
        std::mutex mutex;
        int fd = -1;           // -1 once closed
        std::string waiting;   // replies the socket has not taken yet
        bool overflow = false; // the client stopped reading its replies
    };
    Output& Out() { return out_; }

    // Guarded by the server's mutex: the work waiting for the transaction
    // thread, and whether it is serving some now.
    std::deque<ServedWork> queued;
    bool inService = false;
    // Network thread: the client has sent all it will (it shut its side).
    bool inputEnded = false;
    // Sends what is waiting as far as the socket takes it; false when the
    // client is gone. The caller holds Out().mutex.
    static bool Flush(Output& out);

private:
    // Takes one line from pending_; false when no whole line is there yet.
    bool TakeLine(std::string& line);
    std::optional<std::string> Refusal(const std::string& line, bool readOnly) const;

    const std::string name_;
    std::string pending_;
    bool skippingLine_ = false; // a line over the bound: dropped up to its end
    std::optional<ServedWork> table_;
    bool skippingTable_ = false; // a refused table input: dropped up to its ";" line
    Clock::time_point lastHeard_ = Clock::now();
    Output out_;
};
