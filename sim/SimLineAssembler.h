#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

// Cuts a byte stream into command lines at each line feed, dropping one
// carriage return before it. The instrument's input buffer holds MaxLine
// bytes: a longer line is thrown away whole and reported as an overrun, and
// only MaxLine bytes of it are ever held.
class CSimLineAssembler {
public:
    static constexpr std::size_t MaxLine = 1024;

    using LineSink = std::function<void(std::string_view line)>;
    using OverrunSink = std::function<void()>;

    // Calls `onLine` for each complete line and `onOverrun` for each dropped
    // one, in the order they end.
    void Feed(std::string_view bytes, const LineSink& onLine, const OverrunSink& onOverrun);
    // Forgets a partly received line.
    void Reset();

    std::size_t Buffered() const { return line_.size(); }

private:
    std::string line_;
    bool overrun_ = false;
};
