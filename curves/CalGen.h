#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

class IFileChooser;
class IMessageBoxes;
class IMessageLog;
class IReferencePointDialog;

// The five CalGen operations: a standard curve bent through measured
// reference points of one sensor.
enum class CalGenOperation {
    Diode300K,        // "1 Point (300K)", COnePoint
    Diode4K2,         // "1 Point (4.2K)", COnePoint
    DiodeTwoPoints,   // "2 Points", CTWOPOINTS with the diode settings
    DiodeThreePoints, // "3 Points", CThreePoints
    Platinum,         // "Platinum", CTWOPOINTS with the platinum settings
};

// How a CalGen run ended.
enum class CalGenOutcome {
    Saved,       // the new curve is in the log and in the chosen file
    NotSaved,    // the new curve is in the log; the save dialog was cancelled
    Cancelled,   // the open dialog or the reference dialog was cancelled
    Refused,     // the source file was refused, or 30 K lies outside it
    WriteFailed, // "Failed to create file": the chosen file is as it was
};

// One CalGen operation from the source file to the saved curve: the source
// ".crv" file, its strict check, the reference dialog (shown again with the
// entered values after every failed check, until the points pass or the user
// cancels), the new curve in the log, the save dialog and the file, written
// whole or not at all. Files only: no instrument traffic, no mutex.
CalGenOutcome RunCalGen(CalGenOperation operation, IFileChooser& files,
                        IReferencePointDialog& points, IMessageBoxes& boxes, IMessageLog& log);

// The name the save dialog proposes for a curve made from `sourceFile`: the
// source's name with "_CalGen" ("DT-670.crv" gives "DT-670_CalGen.crv"), so
// that the standard curve it came from is not the name offered.
std::string CalGenFileName(const std::string& sourceFile);

// The operation that "Select CalGen Type" asks for by its two list positions:
// Diode (0) with 0 "1 point at 300K", 1 "1 point at 4.2K", 2 "2 points",
// 3 "3 points"; Platinum (1) whatever the points; nothing for Thermocouple (2).
std::optional<CalGenOperation> CalGenOperationOf(int sensorIndex, int pointsIndex);

// The operations as the CLI and the Python module name them, for help texts.
inline constexpr char CalGenOperationNames[] = "diode-300k, diode-4.2k, diode-2, diode-3, platinum";
// The operation of one of those names, or nothing.
std::optional<CalGenOperation> CalGenOperationByName(std::string_view name);
// The rows of the operation's reference dialog: the points it takes.
std::size_t CalGenPointCount(CalGenOperation operation);
