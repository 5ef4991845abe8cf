#include "sim/SimGpibDevice.h"

#include "sim/GpibSocketProtocol.h"
#include "sim/SimController.h"

#include <vector>

namespace {

// A reply goes out as one message ended by CR LF. A table (a reply of several
// lines) goes out as the instrument sends it on the bus: one message per
// line, the ";" that ends it included, each ended by EOI alone.
std::vector<std::string> Messages(const std::string& reply) {
    if (reply.find("\r\n") == std::string::npos) {
        return {reply + "\r\n"};
    }
    std::vector<std::string> messages;
    std::size_t start = 0;
    for (std::size_t end; (end = reply.find("\r\n", start)) != std::string::npos; start = end + 2) {
        messages.push_back(reply.substr(start, end - start));
    }
    messages.push_back(reply.substr(start));
    return messages;
}

} // namespace

CSimGpibDevice::CSimGpibDevice(CSimController& controller, int primaryAddress,
                               std::chrono::milliseconds replyDelay)
    : controller_(controller), primary_(primaryAddress), replyDelay_(replyDelay) {}

bool CSimGpibDevice::IsAt(std::uint32_t address) const {
    return address == GpibWire::Address(primary_, 0);
}

void CSimGpibDevice::Write(std::string_view bytes, bool eoi, Clock::time_point now) {
    auto onLine = [&](std::string_view line) {
        std::optional<std::string> reply = controller_.Execute(line);
        if (!reply) {
            return;
        }
        for (std::string& message : Messages(*reply)) {
            if (queuedBytes_ + message.size() > OutputCapacity) {
                return;
            }
            queuedBytes_ += message.size();
            delayed_.push_back({std::move(message), now + replyDelay_});
        }
    };
    auto onOverrun = [&] { controller_.ReportInputOverrun(); };
    lines_.Feed(bytes, onLine, onOverrun);
    // EOI ends the line unless a line feed already did.
    if (eoi && !bytes.empty() && bytes.back() != '\n') {
        lines_.Feed("\n", onLine, onOverrun);
    }
    Advance(now);
}

void CSimGpibDevice::Advance(Clock::time_point now) {
    while (!delayed_.empty() && delayed_.front().due <= now) {
        output_.push_back(std::move(delayed_.front().bytes));
        delayed_.pop_front();
    }
}

std::string CSimGpibDevice::Read(std::size_t count, bool& end) {
    end = false;
    if (output_.empty() || count == 0) {
        return {};
    }
    std::string& reply = output_.front();
    if (count < reply.size()) {
        std::string piece = reply.substr(0, count);
        reply.erase(0, count);
        queuedBytes_ -= count;
        return piece;
    }
    std::string piece = std::move(reply);
    output_.pop_front();
    queuedBytes_ -= piece.size();
    end = true;
    return piece;
}

void CSimGpibDevice::Clear() {
    lines_.Reset();
    delayed_.clear();
    output_.clear();
    queuedBytes_ = 0;
}

std::optional<CSimGpibDevice::Clock::time_point> CSimGpibDevice::NextDue() const {
    if (delayed_.empty()) {
        return std::nullopt;
    }
    return delayed_.front().due;
}
