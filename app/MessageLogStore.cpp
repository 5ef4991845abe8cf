#include "app/MessageLogStore.h"

CMessageLogStore::CMessageLogStore() {
    slots_.resize(1);
}

void CMessageLogStore::NewLine() {
    current_ = (current_ + 1) % Capacity;
    if (linesInUse_ < Capacity)
        ++linesInUse_;
    if (static_cast<int>(slots_.size()) <= current_)
        slots_.resize(static_cast<std::size_t>(current_) + 1);
    slots_[static_cast<std::size_t>(current_)].clear();
}

void CMessageLogStore::Append(std::string_view text) {
    std::lock_guard lock(mutex_);
    for (char c : text) {
        if (c == '\r' || c == '\n') {
            // The instrument ends its replies with CR LF: one break, not two.
            if (!(c == '\n' && afterCarriageReturn_))
                NewLine();
            afterCarriageReturn_ = c == '\r';
            continue;
        }
        afterCarriageReturn_ = false;
        std::string& line = slots_[static_cast<std::size_t>(current_)];
        if (line.size() < LineLength) {
            line += c;
            continue;
        }
        // A full line breaks at its last blank, so that no word is split
        // ("5% difference"); the blank the break takes is not kept. A line
        // without a blank after its first word (an indent is none) breaks
        // where it is full.
        std::string carried;
        if (c != ' ') {
            const std::size_t blank = line.rfind(' ');
            if (blank != std::string::npos && line.find_first_not_of(' ') < blank) {
                carried = line.substr(blank + 1);
                line.erase(blank);
            }
            carried += c;
        }
        NewLine();
        slots_[static_cast<std::size_t>(current_)] = std::move(carried);
    }
    ++revision_;
}

std::vector<std::string> CMessageLogStore::Lines() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(linesInUse_));
    int first = (current_ - linesInUse_ + 1 + Capacity) % Capacity;
    for (int i = 0; i < linesInUse_; ++i)
        lines.push_back(slots_[static_cast<std::size_t>((first + i) % Capacity)]);
    return lines;
}

int CMessageLogStore::LineCount() const {
    std::lock_guard lock(mutex_);
    return linesInUse_;
}

std::uint64_t CMessageLogStore::Revision() const {
    std::lock_guard lock(mutex_);
    return revision_;
}
