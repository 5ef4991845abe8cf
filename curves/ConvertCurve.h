#pragma once

class ICurveHeaderDialog;
class IFileChooser;
class IMessageBoxes;
class IMessageLog;

// How a conversion ended.
enum class ConvertOutcome {
    Saved,        // "Converted Sensor Curve saved"
    NotSaved,     // "Converted Sensor Curve not saved": box cleared or save dialog cancelled
    Cancelled,    // the open dialog was cancelled
    ReadFailed,   // "Failed to read file"
    TooFewPoints, // "Not enough points to form a curve"
    Aborted,      // "Aborted Sensor Curve conversion"
    WriteFailed,  // "Failed to create file"
};

// Sensor Curve "Convert": turns a text curve in the ".340" layout into a ".crv"
// file. It reads the chosen file with the colon-header reader whatever its
// name, shows the header dialog with "Save as .crv file" ticked and, when
// accepted and ticked, writes the curve with the edited header, sorted by
// value. Files only: no instrument traffic, no transaction mutex.
ConvertOutcome ConvertCurve(IFileChooser& files, ICurveHeaderDialog& header, IMessageBoxes& boxes,
                            IMessageLog& log);
