#pragma once

#include <chrono>
#include <string>

#include "app/WorkerEvents.h"

class CVantorCore;

// Splits a monitor's reply: value before the first ";", then for a channel its
// unit before the next ";" (an output's unit is "%"), then the name.
MonitorReading ParseMonitorReply(const std::string& reply, bool isChannel);

// How long the worker waits per slot: the logging interval shared among the
// open monitors (one slot when none is open), truncated to whole milliseconds.
std::chrono::milliseconds MonitorSlotWait(double intervalSeconds, int openMonitors);

// The monitor worker: every slot it moves on to the next of the twelve
// monitors and, when that one is open, queries it and hands the reading to the
// view. A failed query reports a lost connection (status 2).
class CMonitorWorker {
public:
    CMonitorWorker(CVantorCore& core, IWorkerEvents& events) : core_(core), events_(events) {}
    // Runs until the stop event is set.
    void Run();

private:
    void Query(int index);

    CVantorCore& core_;
    IWorkerEvents& events_;
};
