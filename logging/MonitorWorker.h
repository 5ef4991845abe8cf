#pragma once

#include <atomic>
#include <chrono>
#include <string>
#include <string_view>

#include "comm/LinkResult.h"
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
// A reading is one when its value is a number, a channel's unit is one of
// the instrument's and its name holds no control character: "" then, else
// what was wrong, naming the query.
std::string CheckMonitorReading(std::string_view query, const std::string& reply,
                                const MonitorReading& reading);

// How long the worker waits per slot: the logging interval shared among the
// open monitors (one slot when none is open), truncated to whole milliseconds.
// A wait is at least 1 ms and an interval at most MaxMonitorInterval (the
// logging setup's bound), so that a hand-edited settings file can make the
// worker neither spin nor overflow.
std::chrono::milliseconds MonitorSlotWait(double intervalSeconds, int openMonitors);
inline constexpr double MaxMonitorInterval = 120000.0;

// One query of monitor `index` (0..11): waits at most TransactionLockWait for
// the transaction mutex, sends the monitor's query and parses the reply. The
// mutex is free again when it returns. A query the instrument never answered
// fails (CCommLink::Query) and is no reading.
struct MonitorQuery {
    bool locked = false;               // false: the mutex stayed busy and nothing was sent
    LinkResult result = Link::Success; // the link's result when locked
    MonitorReading reading;            // filled when the query succeeded

    bool Succeeded() const { return locked && result == Link::Success; }
};
MonitorQuery QueryMonitor(CCommLink& link, CTransactionMutex& transactionMutex, int index);

// The worker's rotating index. It starts at 0 and moves on by one position
// every wait slot, open or not, wrapping after 11: an open monitor comes round
// once every twelve slots, and the first one asked after start-up is index 1.
class CMonitorRotation {
public:
    // Moves on; the index moved to when that monitor is open, else -1.
    int Next(const CMonitorFlags& flags);
    int Index() const { return index_; }

private:
    int index_ = 0;
};

// The number of open monitors.
int OpenMonitorCount(const CMonitorFlags& flags);

// The monitor worker: every slot it moves on to the next of the twelve
// monitors and, when that one is open, queries it and hands the reading to the
// view. A failed query reports a lost connection (status 2); a slot whose
// link stays busy beyond the wait is skipped.
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
