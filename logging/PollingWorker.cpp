#include "logging/PollingWorker.h"

#include <chrono>
#include <mutex>

#include "base/Event.h"
#include "base/TransactionMutex.h"
#include "comm/CommLink.h"
#include "comm/ConnectionStatus.h"
#include "comm/ReplyShapes.h"
#include "logging/LogFormat.h"
#include "logging/LoggingState.h"
#include "logging/WorkerEvents.h"

void CPollingWorker::Run() {
    for (;;) {
        // The wait is unbounded in effect: only the two events end it.
        switch (CEvent::WaitAny(context_.stopEvent, context_.sampleEvent, std::chrono::hours(1))) {
        case 0:
            return;
        case 1:
            TakeSample();
            break;
        default:
            break;
        }
    }
}

void CPollingWorker::TakeSample() {
    context_.sampleEvent.Reset();
    if (!context_.state.IsSampling())
        return;
    const std::string timeOfDay = TimeOfDayField(LocalNow());
    const std::vector<SampleBatch> batches = SampleBatches(context_.state.Sources());
    std::string collected;
    for (std::size_t i = 0; i < batches.size(); ++i) {
        std::string reply;
        // A batch sent before the last source reports the lost link before the
        // error path does; the one sent at the end leaves it to the error path.
        if (!Send(batches[i].command, reply, batches[i].semicolonAfter))
            return ErrorPath();
        collected += reply;
        if (batches[i].semicolonAfter)
            collected += ';';
    }
    context_.state.CommitRow(BuildRow(timeOfDay, collected));
    events_.LogCountChanged();
}

bool CPollingWorker::Send(const std::string& command, std::string& reply, bool reportLoss) {
    LinkResult result = Link::Success;
    {
        std::unique_lock lock(context_.transactionMutex, std::defer_lock);
        if (!lock.try_lock_for(TransactionLockWait))
            return false;
        result = context_.link.Query(command, reply);
        // A value per query, each a number: a reply that lost a ";" or a digit
        // would put its values under the wrong columns.
        if (result == Link::Success)
            if (const std::string why = CheckValueList(command, reply); !why.empty())
                result = context_.link.RefuseReply(why);
    }
    if (result != Link::Success && reportLoss)
        events_.Disconnected(StatusError);
    return result == Link::Success;
}

void CPollingWorker::ErrorPath() {
    events_.LoggingCommError();
    events_.Disconnected(StatusError);
    context_.state.AppendText(ExitLine);
}
