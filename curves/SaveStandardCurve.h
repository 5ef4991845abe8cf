#pragma once

#include <string>

#include "curves/StandardCurve.h"

class IFileChooser;
class IMessageBoxes;
class IMessageLog;

enum class StandardSaveResult {
    Saved,
    Cancelled, // the save dialog was cancelled; the curve is in the log all the same
    Failed,    // "Failed to create file": the chosen file is as it was
};

// The text of the file `fileName` names: the ".340" layout when the name
// ends in ".340", a ".crv" file otherwise.
std::string StandardCurveFileText(const StandardCurve& standard, const std::string& fileName);

// As CalGen hands over a new curve: the summary line, every entry as
// "%f     %f" (value, temperature) and ";" into the log, then the save dialog
// (".crv" or ".340"), the file written whole or not at all, and the log line
// "Standard curve saved to %s".
StandardSaveResult SaveStandardCurve(const StandardCurve& standard, IFileChooser& files,
                                     IMessageBoxes& boxes, IMessageLog& log);
