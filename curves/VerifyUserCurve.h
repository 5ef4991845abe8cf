#pragma once

#include <chrono>
#include <string>
#include <vector>

struct TransferContext;
class IMessageLog;

enum class VerifyResult {
    Matches,
    Differs, // the differences are in the log, a box says so
    NotRead, // the curve could not be read back; the failure was shown
};

// "Verify Curve After Download": waits `lineTime` (an RS232 line may still be
// carrying the curve), reads user curve n back as the upload does and
// compares it with the lines that were sent, logging each difference and a
// one-line verdict.
VerifyResult VerifyUserCurve(const TransferContext& context, int curve,
                             const std::vector<std::string>& sent,
                             std::chrono::milliseconds lineTime);

// Compares the lines sent (name, type, multiplier, unit, entries) with the
// lines read back. Texts must match (blanks at their end aside); numbers must
// agree to the precision they were sent with, six decimals, or to five
// significant digits, whichever is looser. Each difference is logged as
// "Verify: <what> differs: sent "<text>", read back "<text>"\n"; the result
// is their number.
int CompareCurveLines(const std::vector<std::string>& sent,
                      const std::vector<std::string>& readBack, IMessageLog& log);
