#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The ways the simulated controller misbehaves on request ("tundrix-sim
// --fault FAULT"), for testing what the utility does with a faulty instrument
// or line. A FAULT is NAME, NAME:A or NAME:A:B, and any of these but hangup
// may end in @K: the fault then hits the Kth query only (a sweep puts it at
// each step of an operation in turn):
//
//   no-reply[:N]      no reply to every Nth query (default: to none)
//   late:MS[:N]       every Nth reply (default each) comes MS ms late; on GPIB
//                     a device clear does not stop it
//   twice[:N]         every Nth reply is sent twice, back to back in one write
//   corrupt[:N]       one byte in the middle of every Nth reply is changed
//   cut[:N]           every Nth reply is cut in the middle: its first half
//                     goes out, without the line end
//   trickle:MS[:N]    every Nth reply goes out one byte every MS ms
//   stream[:N]        the Nth query is answered by bytes without end (no line
//                     end), and nothing else is answered after it; on GPIB a
//                     device clear stops the stream until the next Nth query
//   hangup:N          after N commands (their replies out) the line goes:
//                     pty hangs up, TCP closes the connection (each new
//                     connection gets N commands), GPIB stops answering
//                     (writes find no listener, reads time out); 0: at once
//   nul[:N]           a NUL byte is put in the middle of every Nth reply (before
//                     a CR, never between it and its LF)
//
// Queries are the lines that get a reply; counting starts at 1 on each
// channel (the pseudo-terminal, each TCP connection, the GPIB device).
enum class SimFaultKind { NoReply, Late, Twice, Corrupt, Cut, Trickle, Stream, HangUp, Nul };

struct SimFaultRule {
    SimFaultKind kind = SimFaultKind::NoReply;
    int every = 1;
    int milliseconds = 0; // Late, Trickle
    int commands = 0;     // HangUp
    int only = 0;         // @K: the Kth query only (0: every `every`th)
};

// Nothing, with `error` telling why, for a FAULT that is not one of the above.
std::optional<SimFaultRule> ParseSimFault(std::string_view text, std::string& error);

// The faults as one channel applies them, with that channel's counts.
class CSimFaults {
public:
    using Milliseconds = std::chrono::milliseconds;

    // Bytes of a reply and when they go out, counted from when the line came.
    struct Piece {
        std::string bytes;
        Milliseconds delay{0};
        bool endsMessage = true; // GPIB: EOI goes with the last byte
        bool survivesClear = false;
    };
    struct Outcome {
        std::vector<Piece> pieces;
        bool startStream = false;
        bool hangUpAfter = false; // once these pieces are out, the line goes
    };

    CSimFaults() = default;
    explicit CSimFaults(std::vector<SimFaultRule> rules);

    // A line came: whether the controller is to run it at all (not after the line went).
    bool Serves() const { return !gone_; }
    // How the reply of the line (CR LF included; nothing when it has none) goes out.
    Outcome Shape(const std::optional<std::string>& reply);
    // hangup:0: the line is gone before the first command.
    bool GoneAtStart() const;
    void MarkGone() { gone_ = true; }

    // The next `count` bytes of an endless stream: letters, never a line end.
    static std::string StreamBytes(std::size_t count, std::size_t& position);

private:
    bool Hits(const SimFaultRule& rule) const;

    std::vector<SimFaultRule> rules_;
    long commands_ = 0;
    long queries_ = 0;
    bool gone_ = false;
};
