#pragma once

#include <functional>
#include <string>

class CCommLink;
class CTransactionMutex;
class IFileChooser;
class IMessageBoxes;
class IMessageLog;

// What the internal datalog upload needs from the program that starts it.
struct DatalogUploadContext {
    CCommLink& link;
    CTransactionMutex& transactionMutex;
    IMessageBoxes& boxes;
    IMessageLog& log;
    IFileChooser& files;
    // After a communication error: the five hint lines when the link is on RS232.
    std::function<void()> showRS232Hints;
};

enum class DatalogUploadOutcome {
    Busy,           // the transaction mutex stayed busy: nothing done
    NoInstrument,   // "*IDN?" failed or gave an empty or ";" reply
    Cancelled,      // the save dialog was cancelled
    StateFailed,    // "DLog:State?", "DLog:State off" or "DLog:Count?" failed
    FileNotCreated, // the output file could not be made; the log stays off
    ReadFailed,     // the bulk read failed; the file was left as it was
    Uploaded,
    RestoreFailed, // uploaded, but the logging state could not be put back
};

// "Upload Internal DataLog": pauses the instrument's own data log, reads all
// its records in one bulk transfer into the file the user chooses, byte for
// byte with one line feed added, and puts the logging state back as it was.
// Holds the transaction mutex from the first step to the last.
DatalogUploadOutcome UploadDatalog(const DatalogUploadContext& context);

// The record count of a "DLog:Count?" reply: leading blanks skipped, a decimal
// number up to the first other character, 0 when there is none.
int ParseRecordCount(const std::string& reply);
