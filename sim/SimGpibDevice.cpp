#include "sim/SimGpibDevice.h"

#include "sim/GpibSocketProtocol.h"
#include "sim/SimController.h"

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
        std::string bytesOut = *reply + "\r\n";
        if (queuedBytes_ + bytesOut.size() > OutputCapacity) {
            return;
        }
        queuedBytes_ += bytesOut.size();
        delayed_.push_back({std::move(bytesOut), now + replyDelay_});
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
