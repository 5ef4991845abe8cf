#pragma once

#include <string>

// "tundrix-cli curve standard KIND OUT.(crv|340) [--r0 OHM] [--from K]
// [--to K] [--points N] [--unit U]": a curve computed from its standard with
// breakpoints placed for the least interpolation error. Options left out are
// kept as given here: empty texts mean "the standard's own".
struct StandardCurveOptions {
    std::string kind;
    std::string output;
    std::string r0;
    std::string from;
    std::string to;
    std::string points;
    std::string unit;
};

// The kind names, for the help text.
std::string StandardCurveKindNames();

// Writes OUT (".340" layout when its name ends so, ".crv" otherwise) and
// prints the summary line with the largest interpolation error, then "Standard
// curve saved to OUT". Exit status 0 when written; 1 when the standard refuses
// the request (the reason on standard error) or OUT cannot be written; 2 for
// bad usage.
int RunStandardCurveCommand(const StandardCurveOptions& options);
