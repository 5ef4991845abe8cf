#pragma once

#include <atomic>
#include <chrono>
#include <string>

#include "logging/WorkerEvents.h"

class CCommLink;
class CEvent;
class CMonitorFlags;
class CTransactionMutex;

// What the monitor worker shares with the rest of the program.
struct MonitorWorkerContext {
    CCommLink& link;
    CTransactionMutex& transactionMutex;
    CEvent& stopEvent;
    const CMonitorFlags& monitorFlags;
    const std::atomic<double>& loggingInterval; // seconds
};

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
    CMonitorWorker(const MonitorWorkerContext& context, IWorkerEvents& events)
        : context_(context), events_(events) {}
    // Runs until the stop event is set.
    void Run();

private:
    void Query(int index);

    MonitorWorkerContext context_;
    IWorkerEvents& events_;
};
