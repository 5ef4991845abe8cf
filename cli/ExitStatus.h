#pragma once

#include <string_view>

// The exit statuses of tundrix-cli: 0 success; 1 a transaction failed, no
// instrument answered or a file was refused or not written; 2 bad usage; 3 a
// command file run completed with failed checks.
inline constexpr int ExitFailed = 1;
inline constexpr int ExitUsage = 2;
inline constexpr int ExitChecksFailed = 3;

// "tundrix-cli: COMMAND: TEXT" on standard error; gives ExitUsage.
int Usage(std::string_view command, std::string_view text);

// "tundrix-cli: the link is busy" on standard error: another thread held the
// transaction mutex past the wait.
void ReportLinkBusy();
