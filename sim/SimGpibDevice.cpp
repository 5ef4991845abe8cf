#include "sim/SimGpibDevice.h"

#include "sim/GpibSocketProtocol.h"
#include "sim/SimController.h"

#include <iterator>
#include <vector>

namespace {

// A reply goes out as one message ended by CR LF. A table (a reply of several
// lines) goes out as the instrument sends it on the bus: one message per
// line, the ";" that ends it included, each ended by EOI alone. `bytes` is a
// piece of a table as the faults shaped it: every CR LF in it ends a message.
template <class Push> void SplitTablePiece(const std::string& bytes, bool endsMessage, Push push) {
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
        push(bytes.substr(start, end - start), true);
    }
    if (start < bytes.size()) {
        push(bytes.substr(start), endsMessage);
    }
}

} // namespace

CSimGpibDevice::CSimGpibDevice(CSimController& controller, int primaryAddress,
                               std::chrono::milliseconds replyDelay)
    : controller_(controller), primary_(primaryAddress), replyDelay_(replyDelay) {}

bool CSimGpibDevice::IsAt(std::uint32_t address) const {
    return !gone_ && address == GpibWire::Address(primary_, 0);
}

void CSimGpibDevice::SetFaults(const std::vector<SimFaultRule>& rules) {
    faults_ = CSimFaults(rules);
    gone_ = faults_.GoneAtStart();
}

void CSimGpibDevice::Write(std::string_view bytes, bool eoi, Clock::time_point now) {
    auto onLine = [&](std::string_view line) { ExecuteLine(line, now); };
    auto onOverrun = [&] { controller_.ReportInputOverrun(); };
    lines_.Feed(bytes, onLine, onOverrun);
    // EOI ends the line unless a line feed already did.
    if (eoi && !bytes.empty() && bytes.back() != '\n') {
        lines_.Feed("\n", onLine, onOverrun);
    }
    Advance(now);
}

void CSimGpibDevice::ExecuteLine(std::string_view line, Clock::time_point now) {
    if (!faults_.Serves()) {
        return;
    }
    std::optional<std::string> reply = controller_.Execute(line);
    const bool table = reply && reply->find("\r\n") != std::string::npos;
    if (reply) {
        *reply += "\r\n";
    }
    CSimFaults::Outcome out = faults_.Shape(reply);
    std::vector<Delayed> pieces;
    std::size_t size = 0;
    for (auto& piece : out.pieces) {
        const auto due = now + replyDelay_ + piece.delay;
        auto push = [&](std::string bytes, bool ends) {
            size += bytes.size();
            pieces.push_back({std::move(bytes), due, ends, piece.survivesClear});
        };
        if (table) {
            SplitTablePiece(piece.bytes, piece.endsMessage, push);
        } else {
            push(std::move(piece.bytes), piece.endsMessage);
        }
    }
    if (queuedBytes_ + size <= OutputCapacity) {
        queuedBytes_ += size;
        std::move(pieces.begin(), pieces.end(), std::back_inserter(delayed_));
    }
    streaming_ = streaming_ || out.startStream;
    leaving_ = leaving_ || out.hangUpAfter;
}

bool CSimGpibDevice::Listens(std::uint32_t address) {
    gone_ = gone_ || leaving_;
    return IsAt(address);
}

void CSimGpibDevice::Advance(Clock::time_point now) {
    while (!delayed_.empty() && delayed_.front().due <= now) {
        Delayed& piece = delayed_.front();
        if (!output_.empty() && !output_.back().complete) {
            output_.back().bytes += piece.bytes;
            output_.back().complete = piece.endsMessage;
        } else {
            output_.push_back({std::move(piece.bytes), piece.endsMessage});
        }
        delayed_.pop_front();
    }
}

bool CSimGpibDevice::HasOutput() const {
    return streaming_ || (!output_.empty() && !output_.front().bytes.empty());
}

std::string CSimGpibDevice::Read(std::size_t count, bool& end) {
    end = false;
    if (count == 0) {
        return {};
    }
    if (streaming_) {
        return CSimFaults::StreamBytes(count, streamPosition_);
    }
    if (output_.empty()) {
        return {};
    }
    Message& reply = output_.front();
    std::string piece = reply.bytes.substr(0, count);
    reply.bytes.erase(0, piece.size());
    queuedBytes_ -= piece.size();
    if (reply.bytes.empty() && reply.complete) {
        output_.pop_front();
        end = true;
    }
    return piece;
}

void CSimGpibDevice::Clear() {
    lines_.Reset();
    std::erase_if(delayed_, [this](const Delayed& piece) {
        if (!piece.survivesClear) {
            queuedBytes_ -= piece.bytes.size();
        }
        return !piece.survivesClear;
    });
    for (const auto& message : output_) {
        queuedBytes_ -= message.bytes.size();
    }
    output_.clear();
    streaming_ = false;
}

std::optional<CSimGpibDevice::Clock::time_point> CSimGpibDevice::NextDue() const {
    if (delayed_.empty()) {
        return std::nullopt;
    }
    return delayed_.front().due;
}
