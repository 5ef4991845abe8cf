#pragma once

#include <string>
#include <vector>

#include "curves/CalCurve.h"

class IFileChooser;
class IMessageBoxes;
class IMessageLog;

// The source of a CalGen run: the file's name, its header lines (each at most
// 63 characters, without its line end) and its points in the file's order.
struct CalGenSource {
    std::string fileName;
    std::vector<std::string> header;
    CalCurve curve;
};

enum class SourceRead {
    Read,
    Cancelled, // the open dialog was cancelled
    Refused,   // the checker or the reading refused the file and said why
};

// Asks for the source ".crv" file, runs the strict check on it and reads its
// header lines and the counted entries into `source`. A file that no longer
// reads as the check found it is refused like a file that fails the check.
SourceRead ReadCalGenSource(IFileChooser& files, IMessageBoxes& boxes, IMessageLog& log,
                            CalGenSource& source);

// The new curve as the log shows it: "%f     %f" (value, temperature) per
// point, then ";".
std::string FormatCalGenLog(const CalCurve& curve);
// The new curve's file: the source's header lines, "%f %f" per point, ";".
std::string FormatCalGenFile(const std::vector<std::string>& header, const CalCurve& curve);
