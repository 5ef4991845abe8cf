#pragma once

#include "curves/SensorCurve.h"

class IMessageLog;

// Writes the curve into the log, one line each: name, type, multiplier text,
// unit text, then every entry's line; each line whose field or entry carries
// an error flag ends with "   **ERROR**".
void ListCurveErrors(const SensorCurve& curve, IMessageLog& log);
