#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

// The lines that follow a table-writing command ("CALC 3", "PIDT 1:table")
// belong to the table, not to the command language, up to the line that
// begins with ";". A command handler opens the table; the controller then
// hands it every line until it ends.
class CSimTableInput {
public:
    // 0, or a SimError that abandons the table (the line is dropped with it).
    using LineSink = std::function<int(std::string_view line)>;
    // The ";" line came: 0, or a SimError when the table is not taken.
    using EndSink = std::function<int()>;

    void Begin(LineSink line, EndSink end);
    bool Active() const { return static_cast<bool>(line_); }
    // One line of the open table: 0, or the SimError that ended it.
    int Take(std::string_view line);
    void Abandon();

private:
    LineSink line_;
    EndSink end_;
};
