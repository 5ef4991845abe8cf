#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "curves/SensorCurve.h"
#include "curves/TransferOutcome.h"

struct TransferContext;
class CCommLink;
class IMessageLog;
class ITransferProgress;

// Sensor Curve "Download": sends a curve file (".crv", or the ".340" layout)
// into one of the instrument's eight user curves. Under the transaction mutex
// (waited for at most TransactionLockWait) from start to end: the open
// dialog; the file read and checked (at least 4 entries; a format error lists
// the whole curve with its "**ERROR**" marks); the header dialog, and the
// ".crv" copy when "Save as .crv file" is ticked; the user curve chosen from
// the "SENSORIX?" replies; "*IDN?"; then "CALC %d", the header lines, the
// entries and ";", each line in the log. A line the link could not send is
// marked " **ERROR**" and the run ends with the error box. With the user
// options, the user curve is backed up first and read back afterwards.
TransferOutcome DownloadCurve(const TransferContext& context);

// The same download for a curve the program made rather than read (a
// standard curve): from the header dialog on, with `sourceName` where the
// download names its file ("User Curve %d is downloaded from %s").
TransferOutcome DownloadGivenCurve(const TransferContext& context, SensorCurve curve,
                                   const std::string& sourceName);

// What went to the instrument.
struct CurveSent {
    std::vector<std::string> lines; // the header lines, then the entries, as sent
    bool errors = false;            // a line was not taken (marked " **ERROR**")
    std::size_t bytes = 0;          // every line from "CALC %d" to ";" with its line feed
    int entries = 0;                // the entries sent
};

// The sending steps of the download: opens the progress box "Downloading to
// User Curve %d. Please wait...", sends "CALC %d" (not logged), the name,
// the type, the multiplier ("%f"), the unit text, every entry ("%f     %f")
// and ";", each with Transact and no reply, and logs each line; any line the
// link could not send counts as an error. The progress moves after each entry to i * 100 / count,
// so it never shows 100 while sending. The box is left open for the caller to close.
CurveSent SendCurve(CCommLink& link, IMessageLog& log, ITransferProgress& progress, int curve,
                    const SensorCurve& sensorCurve);
