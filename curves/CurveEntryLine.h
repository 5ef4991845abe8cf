#pragma once

#include <cstddef>
#include <string>

#include "curves/SensorCurve.h"

class IMessageLog;

// How one table line of a curve file went into the curve.
enum class CurveEntryLine {
    Read,      // added with its value and temperature
    Marked,    // added, marked in error
    TableFull, // not added: the curve already holds MaxEntries entries
};

// Adds `line` as the next entry of `curve`, its sensor value and temperature
// taken from the fields `firstField` and `firstField + 1` (split at blanks,
// commas and tabs). A line cut at the reader's limit (`overLong`), with too
// few fields or with numbers that do not parse is added marked in error. A
// full table logs "More than 200 curve entries in <fileName> file".
CurveEntryLine AddCurveEntryLine(SensorCurve& curve, const std::string& line, bool overLong,
                                 std::size_t firstField, const std::string& fileName,
                                 IMessageLog& log);
