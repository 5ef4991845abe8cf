#pragma once

#include <string>

#include "curves/CurveReadResult.h"
#include "curves/SensorCurve.h"

class IMessageLog;

// Reads a text curve whose header lines hold a label, a colon and a value (the
// ".340" layout): 1 sensor model (its type through SensorModelTable), 2 name,
// 3 data format (the unit code), 4 ignored, 5 temperature coefficient (the
// multiplier), 6 number of breakpoints N, 7 to 9 skipped, then breakpoints
// "number value temperature" until N are read or the file ends (N = 0 reads to
// the end). Lines hold at most 254 characters; a longer one is a format error
// of its field or entry, and so is a name or type that holds a control
// character, or a data format or coefficient that holds one other than a tab
// (the log names it). More than 200 breakpoints are a format error: the first
// 200 are kept and the log says so. Only a regular file is read: anything else
// at the path (a device, a pipe, a folder) cannot be opened, and the log says
// so. An unreadable N stops the reader with result 4 and, like results 1, 2
// and 3, leaves the curve as it was; otherwise the curve is filled at the end,
// sorted by value when the result is 0.
CurveReadResult ReadColonCurveFile(const std::string& fileName, SensorCurve& curve,
                                   IMessageLog& log);
