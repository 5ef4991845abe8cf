#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>

// What the link's own files share: the transaction model (CommLink.cpp) and
// each transport's run of a transaction and of a table (CommLinkSerial.cpp,
// CommLinkGpib.cpp, CommLinkLan.cpp).
namespace commlink {

using Clock = std::chrono::steady_clock;

inline constexpr const char* NoReplyCame = "no reply came in time";
// GPIB and LAN replies are read in pieces of at most this many bytes.
inline constexpr std::size_t PieceSize = 100;

// Progress of a table read: lines received / expected * 100, truncated, kept
// inside the bar's 0..100 range (a table may announce no lines, or run over).
inline int ProgressPercent(long long lines, int expected) {
    if (expected <= 0 || lines <= 0)
        return 0;
    return static_cast<int>(std::min<long long>(100, lines * 100 / expected));
}

} // namespace commlink
