#pragma once

class CVantorCore;
class IMessageBoxes;
class IMessageLog;
class ITransferProgress;
class QWidget;

// What the view's operation commands use of the view: the core, the boxes,
// the log, the transfer progress box and the window their dialogs sit over.
struct OperationContext {
    CVantorCore& core;
    IMessageBoxes& boxes;
    IMessageLog& log;
    ITransferProgress& progress;
    QWidget* dialogParent;
};
