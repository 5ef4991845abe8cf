#pragma once

// The result of the curve file readers, ReadCrvFile and ReadColonCurveFile.
using CurveReadResult = int;

namespace CurveRead {
inline constexpr CurveReadResult Success = 0;
inline constexpr CurveReadResult StreamFailed = 1; // the stream failed while reading
inline constexpr CurveReadResult NoFileName = 2;   // no file name given
inline constexpr CurveReadResult CannotOpen = 3;   // the file cannot be opened
inline constexpr CurveReadResult FormatError = 4;  // read, but fields or entries carry error flags
} // namespace CurveRead
