#include "sim/SimReplyQueue.h"

#include "sim/SimFaults.h"
#include <algorithm>

#include <cerrno>
#include <unistd.h>

CSimReplyQueue::CSimReplyQueue(std::chrono::milliseconds delay, std::chrono::milliseconds lifetime,
                               std::size_t capacity)
    : delay_(delay), lifetime_(lifetime), capacity_(capacity) {}

void CSimReplyQueue::Push(std::string bytes, Clock::time_point now) {
    PushAt(std::move(bytes), now);
}

void CSimReplyQueue::PushAt(std::string bytes, Clock::time_point at) {
    if (bytes.empty()) {
        return;
    }
    if (pendingBytes_ + bytes.size() > capacity_) {
        ++dropped_;
        return;
    }
    pendingBytes_ += bytes.size();
    const Clock::time_point due = at + delay_;
    pending_.push_back({std::move(bytes), 0, due, due + lifetime_});
}

bool CSimReplyQueue::WantsWrite(Clock::time_point now) const {
    return (!pending_.empty() && pending_.front().due <= now) || (pending_.empty() && streaming_);
}

int CSimReplyQueue::Flush(int fd, Clock::time_point now, std::size_t limit, std::size_t* written) {
    std::size_t total = 0;
    if (written != nullptr) {
        *written = 0;
    }
    while (!pending_.empty() && pending_.front().due <= now && total < limit) {
        Pending& reply = pending_.front();
        if (reply.expires <= now) {
            DropFront();
            continue;
        }
        const ssize_t count = ::write(fd, reply.bytes.data() + reply.written,
                                      std::min(reply.bytes.size() - reply.written, limit - total));
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                return 0;
            }
            const int error = errno;
            DropFront();
            return error;
        }
        if (count == 0) {
            return 0;
        }
        reply.written += static_cast<std::size_t>(count);
        total += static_cast<std::size_t>(count);
        if (written != nullptr) {
            *written = total;
        }
        if (limit != SIZE_MAX) {
            reply.expires = now + lifetime_;
        }
        if (reply.written == reply.bytes.size()) {
            pendingBytes_ -= reply.bytes.size();
            pending_.pop_front();
        }
    }
    return pending_.empty() && streaming_ ? FlushStream(fd) : 0;
}

// A bounded amount per wake-up, so that the other transports are served too.
int CSimReplyQueue::FlushStream(int fd) {
    constexpr std::size_t Chunk = 4096;
    for (int round = 0; round < 16; ++round) {
        std::size_t position = streamPosition_;
        const std::string bytes = CSimFaults::StreamBytes(Chunk, position);
        const ssize_t count = ::write(fd, bytes.data(), bytes.size());
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno == EAGAIN || errno == EWOULDBLOCK ? 0 : errno;
        }
        streamPosition_ += static_cast<std::size_t>(count);
        if (static_cast<std::size_t>(count) < bytes.size()) {
            return 0;
        }
    }
    return 0;
}

std::optional<CSimReplyQueue::Clock::time_point>
CSimReplyQueue::NextWakeup(Clock::time_point now) const {
    if (pending_.empty()) {
        return std::nullopt;
    }
    const Pending& front = pending_.front();
    return front.due > now ? front.due : front.expires;
}

void CSimReplyQueue::Clear() {
    pending_.clear();
    pendingBytes_ = 0;
    streaming_ = false;
}

void CSimReplyQueue::DropFront() {
    pendingBytes_ -= pending_.front().bytes.size();
    pending_.pop_front();
    ++dropped_;
}
