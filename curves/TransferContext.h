#pragma once

#include <functional>

#include "curves/CurveTransferOptions.h"

class CCommLink;
class CTransactionMutex;
class ICurveHeaderDialog;
class IFileChooser;
class IMessageBoxes;
class IMessageLog;
class ITableNumberDialogs;
class ITransferProgress;

// What the curve and PID table transfers need from the program that runs
// them: the link and its transaction mutex, the user's boxes, log, progress
// box and dialogs, and the main view's RS232 hints.
struct TransferContext {
    CCommLink& link;
    CTransactionMutex& transactionMutex;
    IMessageBoxes& boxes;
    IMessageLog& log;
    ITransferProgress& progress;
    IFileChooser& files;
    ICurveHeaderDialog& curveHeader;
    ITableNumberDialogs& tableNumbers;
    // After a communication error: the five hint lines when the link is on RS232.
    std::function<void()> showRS232Hints;
    CurveTransferOptions options;
};
