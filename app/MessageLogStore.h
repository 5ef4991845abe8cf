#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

// The message log's text: a ring of 2048 line slots of at most 80 characters.
// Text is split into lines as it is appended: a line feed or carriage return
// starts a new line (a CR LF pair counts as one break), and a line that already
// holds 80 characters continues on a new line from its last blank on (a word
// is kept whole; a line without a blank is cut). Once 2048 lines are in use
// the oldest are overwritten. Safe to append from any thread.
class CMessageLogStore {
public:
    static constexpr int Capacity = 2048;
    static constexpr std::size_t LineLength = 80;

    CMessageLogStore();

    void Append(std::string_view text);

    // Lines in use, oldest first; the last is the line being written.
    std::vector<std::string> Lines() const;
    int LineCount() const;
    // Grows with every change, so a view can tell whether to redraw.
    std::uint64_t Revision() const;

private:
    void NewLine();

    mutable std::mutex mutex_;
    std::vector<std::string> slots_; // a slot is allocated on first use
    int current_ = 0;
    int linesInUse_ = 1;
    bool afterCarriageReturn_ = false;
    std::uint64_t revision_ = 0;
};
