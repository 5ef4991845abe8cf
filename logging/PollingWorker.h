#pragma once

#include <mutex>
#include <string>

class CCommLink;
class CEvent;
class CLoggingState;
class CTransactionMutex;
class IWorkerEvents;

// What the polling worker shares with the rest of the program.
struct PollingWorkerContext {
    CCommLink& link;
    CTransactionMutex& transactionMutex;
    CEvent& stopEvent;
    CEvent& sampleEvent;
    CLoggingState& state;
};

// The data logging worker: waits on (stop event, sample event) and takes one
// sample each time the logging timer sets the sample event. Ticks that come
// during a long sample collapse into one more sample, because the event is
// reset as the sample begins.
//
// A sample sends the recorded sources' queries in batches, each under the
// transaction mutex (at most TransactionLockWait), joins the replies into one
// row and hands it to the state, then tells the view (UM_LOG_COUNT). A failed
// batch, or one whose reply is not a number for each of its queries, tells
// the view (UM_COMM_ERROR, which stops the run) and reports the lost
// connection, and the file gets "Exit due to Communication Error.". A link
// held by an operation of the user is no failure: the sample waits for it.
class CPollingWorker {
public:
    CPollingWorker(const PollingWorkerContext& context, IWorkerEvents& events)
        : context_(context), events_(events) {}

    // Runs until the stop event is set.
    void Run();
    // One sample, as a sample event starts it; nothing while no run samples.
    void TakeSample();

private:
    enum class BatchResult {
        Answered,
        Failed,    // the transaction failed or its reply had the wrong shape
        Abandoned, // the run stopped or the program ended while the link was busy
    };
    // One batch under the mutex; `timeOfDay` is stamped when still empty, as
    // soon as the mutex is held.
    BatchResult Send(const std::string& command, std::string& reply, bool reportLoss,
                     std::string& timeOfDay);
    // Waits for the mutex for as long as the run samples and the program runs.
    bool LockLink(std::unique_lock<CTransactionMutex>& lock);
    void ErrorPath();

    PollingWorkerContext context_;
    IWorkerEvents& events_;
};
