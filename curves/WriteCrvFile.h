#pragma once

#include <string>

#include "curves/SensorCurve.h"

class IFileChooser;
class IMessageBoxes;

// The significant digits of each entry's value and temperature in a curve file.
inline constexpr int CurveEntryDigits = 10;

enum class CrvWriteResult {
    Written,
    Cancelled, // the save dialog was cancelled; nothing was written
    Failed,    // "Failed to create file" was shown; an existing file is unchanged
};

// The text of a ".crv" file: the name's first 15 characters, the type, the
// multiplier with 8 significant digits, the unit text, each entry as value,
// two blanks and temperature with 10 significant digits (trailing zeros kept),
// and ";". Every line ends with a line feed. A header text is written up to
// its first line break, which would otherwise shift every line after it.
std::string FormatCrvFile(const SensorCurve& curve);

// The name a save dialog proposes for a ".crv" copy of a curve read from
// `source`: the serial number or name the curve carries, else the name of
// the source file with ".crv" (see base/ProposedFileName.h).
std::string CrvCopyName(const SensorCurve& curve, const std::string& source);

// Asks for a ".crv" file name and writes the curve into it whole, or not at all.
// The file read to make the curve (`source`, when given) is never written over;
// on failure `error`, when given, says why.
CrvWriteResult WriteCrvFile(const SensorCurve& curve, IFileChooser& files, IMessageBoxes& boxes,
                            const std::string& source = {}, std::string* error = nullptr);
