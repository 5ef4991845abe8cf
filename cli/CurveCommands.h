#pragma once

#include <string>

#include "cli/CurveHeaderOptions.h"

// The "curve" subcommands of tundrix-cli: curve files without an instrument.
// Each returns the program's exit status: 0 success, 1 the file was refused,
// 2 bad usage.

// Runs the strict ".crv" check; prints the entry count and header line count.
int RunCurveCheck(const std::string& fileName);

// Reads the file with the reader its name selects and prints the curve as the
// error listing writes it, with its error marks.
int RunCurveShow(const std::string& fileName);

struct CurveConvertOptions {
    std::string input;
    std::string output;
    CurveHeaderOptions header;
};

// The conversion with the header dialog accepted as it opens, apart from the
// fields given; the result goes to the output file without asking.
int RunCurveConvert(const CurveConvertOptions& options);
