#include "logging/MonitorWorker.h"

#include <mutex>

#include "base/Event.h"
#include "base/TransactionMutex.h"
#include "comm/CommLink.h"
#include "comm/ConnectionStatus.h"
#include "logging/MonitorTable.h"

MonitorReading ParseMonitorReply(const std::string& reply, bool isChannel) {
    MonitorReading reading;
    std::string rest = reply;
    auto take = [&rest]() {
        auto semicolon = rest.find(';');
        if (semicolon == std::string::npos)
            return std::string();
        std::string part = rest.substr(0, semicolon);
        rest.erase(0, semicolon + 1);
        return part;
    };
    reading.value = take();
    reading.unit = isChannel ? take() : std::string("%");
    reading.name = rest;
    return reading;
}

std::chrono::milliseconds MonitorSlotWait(double intervalSeconds, int openMonitors) {
    if (openMonitors < 1)
        openMonitors = 1;
    return std::chrono::milliseconds(
        static_cast<long long>(intervalSeconds * 1000.0 / openMonitors));
}

void CMonitorWorker::Run() {
    int index = 0;
    for (;;) {
        int open = 0;
        for (int i = 0; i < MonitorCount; ++i)
            open += context_.monitorFlags.Get(i) != 0;
        if (context_.stopEvent.Wait(MonitorSlotWait(context_.loggingInterval.load(), open)))
            return;
        index = (index + 1) % MonitorCount;
        if (context_.monitorFlags.Get(index) != 0)
            Query(index);
    }
}

void CMonitorWorker::Query(int index) {
    const MonitorInfo& monitor = MonitorTable[static_cast<std::size_t>(index)];
    std::string reply;
    bool answered = false;
    {
        std::unique_lock lock(context_.transactionMutex, std::defer_lock);
        if (lock.try_lock_for(TransactionLockWait))
            answered = context_.link.Transact(std::string(monitor.query), &reply) >= 0;
    }
    if (answered)
        events_.MonitorReadingArrived(index, ParseMonitorReply(reply, monitor.isChannel));
    else
        events_.Disconnected(StatusError);
}
