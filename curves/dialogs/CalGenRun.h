#pragma once

#include "curves/CalGen.h"
#include "curves/dialogs/CalculatorActions.h"

class IMessageBoxes;
class IMessageLog;
class QWidget;

// The main view's CalGen operations: the operation with the real open and
// save dialogs and reference-point dialogs, modal over `parent`; boxes and log
// lines go where the main view shows them.
CalGenOutcome RunCalGenWithDialogs(CalGenOperation operation, QWidget* parent, IMessageBoxes& boxes,
                                   IMessageLog& log, CalculatorActions actions);
