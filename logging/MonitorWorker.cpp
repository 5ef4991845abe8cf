#include "logging/MonitorWorker.h"

#include <algorithm>
#include <mutex>

#include "base/Event.h"
#include "base/TransactionMutex.h"
#include "comm/CommLink.h"
#include "comm/CommandLine.h"
#include "comm/ConnectionStatus.h"
#include "comm/ReplyShapes.h"
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

std::string CheckMonitorReading(std::string_view query, const std::string& reply,
                                const MonitorReading& reading) {
    const std::string replyTo = "reply to \"" + std::string(query) + "\"";
    if (reply.find(';') == std::string::npos)
        return replyTo + " has no \";\": \"" + std::string(WithoutLineEnd(reply)) + "\"";
    if (!FieldNumber(reading.value))
        return replyTo + ": the value is not a number: \"" + reading.value + "\"";
    if (reading.unit != "%" && !IsInstrumentUnit(reading.unit))
        return replyTo + ": \"" + reading.unit + "\" is not a unit of the instrument";
    if (const auto control = ControlCharacter(reading.name))
        return replyTo + ": the name holds the control character " + *control;
    return {};
}

std::chrono::milliseconds MonitorSlotWait(double intervalSeconds, int openMonitors) {
    if (openMonitors < 1)
        openMonitors = 1;
    if (!(intervalSeconds <= MaxMonitorInterval))
        intervalSeconds = MaxMonitorInterval;
    return std::chrono::milliseconds(
        std::max(1LL, static_cast<long long>(intervalSeconds * 1000.0 / openMonitors)));
}

int CMonitorRotation::Next(const CMonitorFlags& flags) {
    index_ = (index_ + 1) % MonitorCount;
    return flags.Get(index_) != 0 ? index_ : -1;
}

int OpenMonitorCount(const CMonitorFlags& flags) {
    int open = 0;
    for (int i = 0; i < MonitorCount; ++i)
        open += flags.Get(i) != 0;
    return open;
}

void CMonitorWorker::Run() {
    CMonitorRotation rotation;
    for (;;) {
        const int open = OpenMonitorCount(context_.monitorFlags);
        if (context_.stopEvent.Wait(MonitorSlotWait(context_.loggingInterval.load(), open)))
            return;
        if (int index = rotation.Next(context_.monitorFlags); index >= 0)
            Query(index);
    }
}

MonitorQuery QueryMonitor(CCommLink& link, CTransactionMutex& transactionMutex, int index) {
    const MonitorInfo& monitor = MonitorTable.at(static_cast<std::size_t>(index));
    MonitorQuery query;
    std::string reply;
    {
        std::unique_lock lock(transactionMutex, std::defer_lock);
        query.locked = lock.try_lock_for(TransactionLockWait);
        if (!query.locked)
            return query;
        query.result = link.Query(std::string(monitor.query), reply);
        if (query.result == Link::Success) {
            query.reading = ParseMonitorReply(reply, monitor.isChannel);
            if (const std::string why = CheckMonitorReading(monitor.query, reply, query.reading);
                !why.empty())
                query.result = link.RefuseReply(why);
        }
    }
    return query;
}

void CMonitorWorker::Query(int index) {
    MonitorQuery query = QueryMonitor(context_.link, context_.transactionMutex, index);
    // A link held beyond the wait belongs to an operation of the user (an
    // upload, a transfer): this slot is skipped, the link is not lost.
    if (!query.locked)
        return;
    if (query.Succeeded())
        events_.MonitorReadingArrived(index, query.reading);
    else
        events_.Disconnected(StatusError);
}
