#pragma once

#include "sim/SimFaults.h"
#include "sim/SimLineAssembler.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CSimController;

// The controller as a device on the GPIB bus: what it does with the messages
// the bus delivers, apart from any socket.
//
// A command line ends at EOI on its last byte (or at a line feed inside the
// message). The reply of a line, with its CR LF, joins the output queue
// `replyDelay` after the line came; a read takes bytes from the oldest reply
// only, as a bus read ends at the EOI sent with a reply's last byte. Unread
// replies are kept until read or cleared; a reply that would take the queue
// beyond OutputCapacity bytes is dropped, so a client that never reads cannot
// grow it.
class CSimGpibDevice {
public:
    using Clock = std::chrono::steady_clock;

    static constexpr std::size_t OutputCapacity = std::size_t{64} * 1024;

    CSimGpibDevice(CSimController& controller, int primaryAddress,
                   std::chrono::milliseconds replyDelay = std::chrono::milliseconds(0));

    int PrimaryAddress() const { return primary_; }
    // True for the wire address (primary + 256 * secondary) of this device,
    // while it is on the bus (the fault "hangup" takes it off).
    bool IsAt(std::uint32_t address) const;
    // Misbehave as these faults say (SimFaults.h).
    void SetFaults(const std::vector<SimFaultRule>& rules);
    // A message is addressed to `address`: whether the device listens. After
    // the fault "hangup" has served its commands, it no longer does.
    bool Listens(std::uint32_t address);

    // Bytes of a message; `eoi` when EOI came with the last of them.
    void Write(std::string_view bytes, bool eoi, Clock::time_point now);
    // Moves the replies that have fallen due into the output.
    void Advance(Clock::time_point now);
    bool HasOutput() const;
    // Up to `count` bytes of the oldest reply; `end` when its last byte went with them.
    std::string Read(std::size_t count, bool& end);
    // Selected device clear: unread output, delayed replies and a partly received
    // line go (not a fault's late reply, nor a stream started later).
    void Clear();
    // When a delayed reply falls due.
    std::optional<Clock::time_point> NextDue() const;

private:
    struct Delayed {
        std::string bytes;
        Clock::time_point due;
        bool endsMessage = true; // EOI goes with its last byte
        bool survivesClear = false;
    };
    // A reply in the output queue; an incomplete one grows as its bytes fall due.
    struct Message {
        std::string bytes;
        bool complete = true;
    };

    void ExecuteLine(std::string_view line, Clock::time_point now);

    CSimController& controller_;
    int primary_;
    std::chrono::milliseconds replyDelay_;
    CSimLineAssembler lines_;
    std::deque<Delayed> delayed_;
    std::deque<Message> output_;
    std::size_t queuedBytes_ = 0; // in delayed_ and output_
    CSimFaults faults_;
    bool streaming_ = false;
    std::size_t streamPosition_ = 0;
    bool leaving_ = false; // goes off the bus when the next message is addressed to it
    bool gone_ = false;
};
