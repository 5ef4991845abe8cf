#pragma once

#include "curves/TransferContext.h"

class CVantorCore;

// What a front end gives a curve or PID table transfer: its boxes, log and
// progress box and its answers to the file, header and table dialogs.
struct TransferUi {
    IMessageBoxes& boxes;
    IMessageLog& log;
    ITransferProgress& progress;
    IFileChooser& files;
    ICurveHeaderDialog& curveHeader;
    ITableNumberDialogs& tableNumbers;
};

// A transfer's context on the core's link and mutex, with its RS232 hints.
TransferContext CoreTransferContext(CVantorCore& core, const TransferUi& ui,
                                    const CurveTransferOptions& options = {});
