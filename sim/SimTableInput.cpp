#include "sim/SimTableInput.h"

void CSimTableInput::Begin(LineSink line, EndSink end) {
    line_ = std::move(line);
    end_ = std::move(end);
}

int CSimTableInput::Take(std::string_view line) {
    if (!line.empty() && line.front() == ';') {
        const EndSink end = std::move(end_);
        Abandon();
        return end ? end() : 0;
    }
    const int error = line_(line);
    if (error != 0)
        Abandon();
    return error;
}

void CSimTableInput::Abandon() {
    line_ = nullptr;
    end_ = nullptr;
}
