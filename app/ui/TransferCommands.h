#pragma once

#include <string>

#include "app/CommandRules.h"
#include "curves/SensorCurve.h"

struct OperationContext;

// The curve and PID table transfers of the main view (Sensor Curve
// "&Download"/"&Upload", PID Table "&Download"/"&Upload"), run on the GUI
// thread with the real dialogs over the view, the view's boxes, log and
// progress box, and the user options as stored. Other commands do nothing.
void RunTransferCommand(MenuCommand command, const OperationContext& view);

// The curve download for a curve made in the program (a standard curve),
// from the header dialog on, with the same dialogs, boxes and options.
void DownloadMadeCurve(const OperationContext& view, const SensorCurve& curve,
                       const std::string& name);
