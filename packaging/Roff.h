#pragma once

#include <string>
#include <string_view>

// Text for the body of a manual page in the man macros: backslashes and
// hyphens escaped ("\-" so that an option reads and pastes as the ASCII
// hyphen-minus), and a line that would start with '.' or '\'' guarded so that
// it is never taken for a request.
std::string RoffText(std::string_view text);

// An entry of an option, positional or subcommand list, for the tag of a .TP:
// the option names and the first word of any other entry bold, the argument
// placeholders italic ("--port TEXT", "-h,--help", "--simulate[=MODEL]").
std::string RoffEntryName(std::string_view name);

// A usage line ("tundrix-cli curve convert [OPTIONS] IN OUT") with its first
// `boldWords` words (the program and the subcommand's words) bold.
std::string RoffUsage(std::string_view usage, int boldWords);

// A heading for .SH or .SS, quoted.
std::string RoffHeading(std::string_view text);
