#pragma once

#include <cstddef>
#include <deque>
#include <string>

// Error codes the controller records, with the texts "SYST:ERR?" reports.
enum SimError {
    SimErrorNone = 0,
    SimErrorCommand = -100,
    SimErrorSyntax = -102,
    SimErrorParameterNotAllowed = -108,
    SimErrorMissingParameter = -109,
    SimErrorUndefinedHeader = -113,
    SimErrorSuffixOutOfRange = -114,
    SimErrorIllegalParameter = -224,
    SimErrorQueueOverflow = -350,
    SimErrorInputOverrun = -363,
};

const char* SimErrorText(int code);

// The instrument's error queue: oldest first, bounded. When it is full the
// newest entry is replaced by "Queue overflow", so the first errors survive.
class CSimErrorQueue {
public:
    static constexpr std::size_t Capacity = 16;

    void Push(int code);
    // "code,text" of the oldest error, removed from the queue; "0,No error" when empty.
    std::string Pop();
    void Clear() { codes_.clear(); }
    std::size_t Size() const { return codes_.size(); }

private:
    std::deque<int> codes_;
};
