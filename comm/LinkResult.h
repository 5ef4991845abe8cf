#pragma once

// The result of the link's transactions (CCommLink::Transact, TransactQuiet and
// ReadTable). 0 is success; for ReadTable a positive value is a line count.
using LinkResult = int;

namespace Link {
inline constexpr LinkResult Success = 0;
inline constexpr LinkResult SerialFailure = -1; // RS232: no port open, or the write or read failed
inline constexpr LinkResult CommandTooLong =
    -2;                                       // over MaxCommandLength characters; nothing was sent
inline constexpr LinkResult NoTransport = -3; // PortType is not 0, 2 or 3
inline constexpr LinkResult NoCommand = -4;   // ReadTable was given no command
inline constexpr LinkResult NoReplyBuffer = -5; // ReadTable was given no reply buffer
inline constexpr LinkResult GpibFailure = -6;   // device not opened, write or read failed
inline constexpr LinkResult LanFailure = -7;    // send reported an error, or a read failed
inline constexpr LinkResult LanRefused = -8; // the send's second failure status; nothing is shown

inline constexpr int MaxCommandLength = 100;
} // namespace Link

// Transports, as stored in "PortType" (a stored 1 is read as LAN).
enum PortType : int {
    PortRS232 = 0,
    PortGPIB = 2,
    PortLAN = 3,
};
