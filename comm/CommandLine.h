#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/ControlCharacter.h"

// A line is a query, and a reply is read, only when its first "?" is not its
// first character: "*IDN?" is a query; "?X" and "INTYPE A,1" are not.
inline bool IsQueryLine(std::string_view line) {
    auto mark = line.find('?');
    return mark != std::string_view::npos && mark != 0;
}

// A reply as the link delivers it keeps the instrument's line end; this is the
// reply without its trailing CRs and LFs, for comparing and showing.
inline std::string_view WithoutLineEnd(std::string_view reply) {
    while (!reply.empty() && (reply.back() == '\n' || reply.back() == '\r'))
        reply.remove_suffix(1);
    return reply;
}

// Why `command` cannot be sent as one command line (it holds a line break or
// another control character), or nothing when it can.
inline std::optional<std::string> CommandLineProblem(std::string_view command) {
    if (command.find_first_of("\r\n") != std::string_view::npos)
        return std::string("the command holds a line break; a command is one line");
    if (auto code = ControlCharacterIn(command))
        return "the command holds the control character " + *code +
               "; a command is one line of text";
    return std::nullopt;
}
