#pragma once

#include <string>
#include <vector>

// "tundrix-cli calgen OP SOURCE.crv OUT.crv --point T,V ...": a CalGen
// operation with the reference dialog answered by the points, in the order of
// its rows. OP is diode-300k, diode-4.2k, diode-2, diode-3 or platinum.
struct CalGenOptions {
    std::string operation;
    std::string source;
    std::string output;
    std::vector<std::string> points; // "T,V"
    bool allowNonpositive = false;   // a curve with values at or below 0 is written too
};

// The operation names (CalGenOperationByName) are in curves/CalGen.h.

// Runs the operation: the log lines on standard output, the boxes on standard
// error; OUT is written only when the operation succeeds. Exit status 0 when
// the curve was written; 1 when the source or the points were refused, where
// the dialog would not close or would be shown again, when the curve holds
// values at or below 0 and allowNonpositive is not set, or when OUT could not
// be written; 2 for bad usage.
int RunCalGenCommand(const CalGenOptions& options);
