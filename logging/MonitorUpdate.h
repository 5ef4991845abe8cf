#pragma once

#include <string_view>

#include "logging/WorkerEvents.h"

// How a monitor window takes a reading (UM_MONITOR_READING + i): the unit and
// name it holds against the reading's. A new unit makes the old points
// meaningless, so they go; a new name only renames the chart.
struct MonitorUpdate {
    bool clear = false;   // the unit changed: clear the points first
    bool retitle = false; // unit or name changed: store both and rebuild the chart
    float value = 0.0f;   // the point to add
};

MonitorUpdate PlanMonitorUpdate(std::string_view unit, std::string_view name,
                                const MonitorReading& reading);

// A reading's value as a decimal number: leading blanks skipped, read up to the
// first character that cannot continue the number; no digits give 0, and so
// does a number too big for the chart's single precision.
float MonitorValue(std::string_view text);
