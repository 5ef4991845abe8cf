#include "sim/SimLineAssembler.h"

void CSimLineAssembler::Feed(std::string_view bytes, const LineSink& onLine,
                             const OverrunSink& onOverrun) {
    for (const char c : bytes) {
        if (c != '\n') {
            // One byte more than a line may hold, for the carriage return before its end.
            if (line_.size() <= MaxLine) {
                line_.push_back(c);
            } else {
                overrun_ = true;
            }
            continue;
        }
        if (!line_.empty() && line_.back() == '\r') {
            line_.pop_back();
        }
        if (overrun_ || line_.size() > MaxLine) {
            onOverrun();
        } else {
            onLine(line_);
        }
        Reset();
    }
}

void CSimLineAssembler::Reset() {
    line_.clear();
    overrun_ = false;
}
