#pragma once

// How a curve or PID table transfer ended. The GUI shows it all in boxes and
// the log; the CLI turns it into its exit status.
enum class TransferOutcome {
    Done,
    Busy,                // the transaction mutex stayed taken: nothing happened
    Cancelled,           // a dialog was cancelled or aborted: nothing was sent
    FileRefused,         // the file could not be read or failed its checks: nothing was sent
    CommunicationFailed, // a query or the table read failed
    SendErrors,          // sent to the end, with lines marked " **ERROR**"
    NotConfirmed,        // sent, but the instrument does not hold the entries that were sent
    TooLong,             // a PID table came back with 17 or more lines: no file written
    WriteFailed,         // "Failed to create file": no file written, any earlier one kept
    BackupFailed,        // the user curve could not be backed up: nothing was sent
    VerifyMismatch,      // sent, but the user curve does not read back as sent
};
