#pragma once

#include <functional>
#include <string>
#include <string_view>

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
    FileNotCreated, // the output file could not be made (nothing sent to pause the log)
    StateFailed,    // "DLog:State?", "DLog:State off" or "DLog:Count?" failed; the state put back
    ReadFailed,     // the bulk read failed or its table was not whole; the file was left
                    // as it was and the state put back
    Uploaded,
    RestoreFailed, // uploaded, but the logging could not be switched back on (said so)
};

// "Upload Internal DataLog": makes the file the user chooses, pauses the
// instrument's own data log, reads all its records in one bulk transfer and
// checks them (the four lines of its header, as many records as "DLog:Count?"
// said, each a line of numbers), writes them into the file byte for byte with
// one line feed added, and puts the logging state back as it found it, on
// every way out after the pause, reading it back to be sure. Holds the
// transaction mutex from the first step to the last.
DatalogUploadOutcome UploadDatalog(const DatalogUploadContext& context);

// A record of the internal data log: numbers separated by commas.
bool IsDatalogRecord(std::string_view line);
