#pragma once

#include <optional>
#include <string>
#include <string_view>

// The first control character of `text` (a byte below 0x20, or 0x7F) as the
// user is told it, "0x0A" for a line feed; nothing when there is none. A text
// that holds one cannot go into a command line: the instrument ends a command
// at a line break and would take what follows as a command of its own.
std::optional<std::string> ControlCharacterIn(std::string_view text);
