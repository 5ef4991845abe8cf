#pragma once

#include "curves/TransferOutcome.h"

struct TransferContext;

// Sensor Curve "Upload": reads one of the instrument's user curves into a
// ".crv" file, exactly as the instrument sends it. Under the transaction
// mutex (waited for at most TransactionLockWait) from start to end: "*IDN?"
// must answer with something other than nothing or ";"; the user curve chosen
// from the "SENSORIX?" replies; the save dialog, which proposes
// "UserCurve<n>.crv"; "SENSORIX %d:NENTRY?", the 1000 ms wait and the table
// read of "CALC? %d". The file is written whole
// before "Upload Complete" is shown; a file that cannot be written gets
// "Failed to create file" and any earlier file stays as it was.
TransferOutcome UploadCurve(const TransferContext& context);
