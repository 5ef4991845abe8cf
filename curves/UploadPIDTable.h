#pragma once

#include "curves/TransferOutcome.h"

struct TransferContext;

// PID Table "Upload": reads one of the instrument's PID tables into a ".pid"
// file, exactly as the instrument sends it. Under the transaction mutex
// (waited for at most TransactionLockWait) from start to end: the table
// number; the save dialog, which proposes "PIDTable<n>.pid"; "PIDT %d:NENT?"
// and the table read of "PIDT %d:TABLE?". A table of 17 lines or more is "too long" and not
// written. The file is written whole before "Upload Complete" is shown; a file that cannot be
// written gets "Failed to create file" and any earlier file stays as it was.
TransferOutcome UploadPIDTable(const TransferContext& context);
