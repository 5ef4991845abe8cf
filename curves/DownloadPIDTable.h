#pragma once

#include "curves/TransferOutcome.h"

struct TransferContext;

// PID Table "Download": sends a ".pid" file into one of the instrument's PID
// tables. Under the transaction mutex (waited for at most
// TransactionLockWait) from start to end: the open dialog; the table number
// (CPIDTblNumReq, any integer, sent as typed); the check pass over the whole
// file ("File Read Error", "Syntax Error", "No table entry", "More than 16
// entries" refuse it before anything is sent); "*IDN?"; then "PIDT %d:table",
// the first line, the entries and ";", each line in the log. A line the link
// could not send is marked " **ERROR**" and the run ends with the error box.
TransferOutcome DownloadPIDTable(const TransferContext& context);
