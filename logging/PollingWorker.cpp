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
    const std::vector<SampleBatch> batches = SampleBatches(context_.state.Sources());
    // The row's time is when the instrument is first asked: a sample that
    // waited for an operation of the user carries the time its values are from.
    std::string timeOfDay;
    std::string collected;
    for (std::size_t i = 0; i < batches.size(); ++i) {
        std::string reply;
        // A batch sent before the last source reports the lost link before the
        // error path does; the one sent at the end leaves it to the error path.
        switch (Send(batches[i].command, reply, batches[i].semicolonAfter, timeOfDay)) {
        case BatchResult::Answered:
            break;
        case BatchResult::Abandoned:
            return;
        case BatchResult::Failed:
            return ErrorPath();
        }
        collected += reply;
        if (batches[i].semicolonAfter)
            collected += ';';
    }
    if (timeOfDay.empty())
        timeOfDay = RowTimeField(context_.state.PreciseTime());
    context_.state.CommitRow(BuildRow(timeOfDay, collected));
    events_.LogCountChanged();
}

bool CPollingWorker::LockLink(std::unique_lock<CTransactionMutex>& lock) {
    // A link held beyond the wait belongs to an operation of the user (a
    // datalog upload, a transfer), which ends in its own time: the sample waits
    // for it, a wait at a time, and the row is written late rather than lost.
    // It gives up only when the run stops or the program ends.
    while (!lock.try_lock_for(TransactionLockWait))
        if (!context_.state.IsSampling() || context_.stopEvent.IsSet())
            return false;
    return true;
}

CPollingWorker::BatchResult CPollingWorker::Send(const std::string& command, std::string& reply,
                                                 bool reportLoss, std::string& timeOfDay) {
    LinkResult result = Link::Success;
    {
        std::unique_lock lock(context_.transactionMutex, std::defer_lock);
        if (!LockLink(lock))
            return BatchResult::Abandoned;
        if (timeOfDay.empty())
            timeOfDay = RowTimeField(context_.state.PreciseTime());
        result = context_.link.Query(command, reply);
        // A value per query, each a number: a reply that lost a ";" or a digit
        // would put its values under the wrong columns.
        if (result == Link::Success)
            if (const std::string why = CheckValueList(command, reply); !why.empty())
                result = context_.link.RefuseReply(why);
    }
    if (result != Link::Success && reportLoss)
        events_.Disconnected(StatusError);
    return result == Link::Success ? BatchResult::Answered : BatchResult::Failed;
}

void CPollingWorker::ErrorPath() {
    events_.LoggingCommError();
    events_.Disconnected(StatusError);
    context_.state.AppendText(ExitLine);
}
