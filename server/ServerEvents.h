#pragma once

#include <functional>
#include <string_view>

class CCommLink;
class CTransactionMutex;

// What the server tells the program that shares its instrument: a line for
// the message log (with its line end), and how many clients are connected.
// Called from the server's own threads.
class IServerEvents {
public:
    virtual ~IServerEvents() = default;
    virtual void ServerLog(std::string_view text) = 0;
    virtual void ClientsChanged(int connected) = 0;
};

// The instrument the server shares, as the program that owns it holds it.
struct SharedInstrument {
    CCommLink& link;
    CTransactionMutex& mutex;
    // Opens the link again after it was lost (a hung-up line, a closed
    // connection); true when it is open again. Called with the mutex held.
    std::function<bool()> reopen;
};
