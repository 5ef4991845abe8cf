#pragma once

#include "sim/SimLineAssembler.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

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
    // True for the wire address (primary + 256 * secondary) of this device.
    bool IsAt(std::uint32_t address) const;

    // Bytes of a message; `eoi` when EOI came with the last of them.
    void Write(std::string_view bytes, bool eoi, Clock::time_point now);
    // Moves the replies that have fallen due into the output.
    void Advance(Clock::time_point now);
    bool HasOutput() const { return !output_.empty(); }
    // Up to `count` bytes of the oldest reply; `end` when its last byte went with them.
    std::string Read(std::size_t count, bool& end);
    // Selected device clear: unread output, delayed replies and a partly received line go.
    void Clear();
    // When a delayed reply falls due.
    std::optional<Clock::time_point> NextDue() const;

private:
    struct Delayed {
        std::string bytes;
        Clock::time_point due;
    };

    CSimController& controller_;
    int primary_;
    std::chrono::milliseconds replyDelay_;
    CSimLineAssembler lines_;
    std::deque<Delayed> delayed_;
    std::deque<std::string> output_;
    std::size_t queuedBytes_ = 0; // in delayed_ and output_
};
