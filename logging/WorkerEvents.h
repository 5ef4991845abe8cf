#pragma once

#include <string>

// One reading of a monitor: the texts of the instrument's reply.
struct MonitorReading {
    std::string value;
    std::string unit;
    std::string name;
};

// What the two workers tell the main view. Each call returns once the view has
// handled it; when the stop event is set a pending call is abandoned, so a
// worker never waits on a window that is closing.
class IWorkerEvents {
public:
    virtual ~IWorkerEvents() = default;
    // UM_MONITOR_READING + index
    virtual void MonitorReadingArrived(int index, const MonitorReading& reading) = 0;
    // UM_DISCONNECTED with a shortcut bar status code
    virtual void Disconnected(int status) = 0;
    // UM_COMM_ERROR: a data logging sample failed
    virtual void LoggingCommError() = 0;
    // UM_LOG_COUNT: one more entry was logged
    virtual void LogCountChanged() = 0;
};
