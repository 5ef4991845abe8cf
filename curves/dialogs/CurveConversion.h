#pragma once

#include "curves/ConvertCurve.h"

class IMessageBoxes;
class IMessageLog;
class QWidget;

// The main view's Sensor Curve "Convert": the conversion with the real open
// and save dialogs and header dialog, modal over `parent`; boxes and log
// lines go where the main view shows them.
ConvertOutcome RunCurveConversion(QWidget* parent, IMessageBoxes& boxes, IMessageLog& log);
