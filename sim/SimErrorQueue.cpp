#include "sim/SimErrorQueue.h"

const char* SimErrorText(int code) {
    switch (code) {
    case SimErrorNone:
        return "No error";
    case SimErrorCommand:
        return "Command error";
    case SimErrorSyntax:
        return "Syntax error";
    case SimErrorParameterNotAllowed:
        return "Parameter not allowed";
    case SimErrorMissingParameter:
        return "Missing parameter";
    case SimErrorUndefinedHeader:
        return "Undefined header";
    case SimErrorSuffixOutOfRange:
        return "Header suffix out of range";
    case SimErrorIllegalParameter:
        return "Illegal parameter value";
    case SimErrorQueueOverflow:
        return "Queue overflow";
    case SimErrorInputOverrun:
        return "Input buffer overrun";
    default:
        return "Unknown error";
    }
}

void CSimErrorQueue::Push(int code) {
    if (codes_.size() < Capacity) {
        codes_.push_back(code);
    } else {
        codes_.back() = SimErrorQueueOverflow;
    }
}

std::string CSimErrorQueue::Pop() {
    int code = SimErrorNone;
    if (!codes_.empty()) {
        code = codes_.front();
        codes_.pop_front();
    }
    return std::to_string(code) + "," + SimErrorText(code);
}
