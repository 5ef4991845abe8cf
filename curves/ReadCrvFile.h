#pragma once

#include <string>

#include "curves/CurveReadResult.h"
#include "curves/SensorCurve.h"

class IMessageLog;

// Reads a ".crv" file: name, type, multiplier and unit lines, then one entry
// per line (value and temperature, separated by blanks, tabs or commas); lines
// beginning with ";" are skipped. Lines hold at most 63 characters; a longer
// one is a format error of its field or entry. A header field that holds a
// control character is a format error too, and the log names it; so are more
// than 200 entry lines: the first 200 are kept and the log says so. Only a
// regular file is read: anything else at the path (a device, a pipe, a
// folder) cannot be opened, and the log says so. The curve is filled only at
// the end, sorted by value when the result is 0; results 1, 2 and 3 leave it
// as it was.
CurveReadResult ReadCrvFile(const std::string& fileName, SensorCurve& curve, IMessageLog& log);
