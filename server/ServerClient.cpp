#include "server/ServerClient.h"

#include <cerrno>
#include <sys/socket.h>

#include "base/ControlCharacter.h"
#include "comm/LinkResult.h"

void CServerClient::Heard(std::string_view bytes, Clock::time_point now) {
    pending_.append(bytes);
    lastHeard_ = now;
}

bool CServerClient::TakeLine(std::string& line) {
    for (;;) {
        const std::size_t end = pending_.find('\n');
        if (end == std::string::npos) {
            // A line that fills the buffer without ending is dropped as it comes.
            if (pending_.size() >= MaxPendingBytes) {
                pending_.clear();
                skippingLine_ = true;
            }
            return false;
        }
        const bool skipped = skippingLine_;
        skippingLine_ = false;
        line.assign(pending_, 0, end);
        pending_.erase(0, end + 1);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (skipped)
            line.assign(MaxPendingBytes, 'x'); // refused below as too long
        return true;
    }
}

std::optional<std::string> CServerClient::Refusal(const std::string& line, bool readOnly) const {
    if (line.size() > static_cast<std::size_t>(Link::MaxCommandLength))
        return "a line of " +
               (line.size() >= MaxPendingBytes ? "over " + std::to_string(MaxPendingBytes)
                                               : std::to_string(line.size())) +
               " characters (a command line holds at most " +
               std::to_string(Link::MaxCommandLength) + ")";
    if (auto control = ControlCharacterIn(line))
        return "a line that holds the control character " + *control;
    if (readOnly && !table_ && ChangesInstrument(line))
        return "\"" + line + "\": the instrument is shared read-only";
    return std::nullopt;
}

std::optional<ServedWork> CServerClient::NextWork(bool readOnly, std::vector<std::string>& notes) {
    std::string line;
    while (TakeLine(line)) {
        if (skippingTable_) {
            skippingTable_ = !IsTableEnd(line);
            continue;
        }
        if (line.empty() && !table_)
            continue;
        const std::optional<std::string> refusal = Refusal(line, readOnly);
        if (refusal) {
            notes.push_back("Refused from " + name_ + ": " + *refusal + ".");
            if (table_ || ClassifyLine(line) == LineKind::TableInput) {
                // The rest of a refused table must not reach the instrument as commands.
                skippingTable_ = !(table_ && IsTableEnd(line));
                if (table_)
                    notes.push_back("The table from " + name_ + " was not sent.");
                table_.reset();
            }
            continue;
        }
        if (table_) {
            table_->lines.push_back(line);
            if (IsTableEnd(line)) {
                ServedWork work = std::move(*table_);
                table_.reset();
                return work;
            }
            if (table_->lines.size() > MaxTableInputLines) {
                notes.push_back("Refused from " + name_ + ": a table of over " +
                                std::to_string(MaxTableInputLines) + " lines; it was not sent.");
                table_.reset();
                skippingTable_ = true;
            }
            continue;
        }
        const LineKind kind = ClassifyLine(line);
        if (kind == LineKind::TableInput) {
            table_ = ServedWork{kind, {line}};
            continue;
        }
        return ServedWork{kind, {line}};
    }
    return std::nullopt;
}

bool CServerClient::Flush(Output& out) {
    while (!out.waiting.empty() && out.fd >= 0) {
        const ssize_t sent =
            ::send(out.fd, out.waiting.data(), out.waiting.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent > 0) {
            out.waiting.erase(0, static_cast<std::size_t>(sent));
            continue;
        }
        if (sent < 0 && errno == EINTR)
            continue;
        return sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }
    return out.fd >= 0;
}
