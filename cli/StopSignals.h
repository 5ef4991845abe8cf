#pragma once

#include <csignal>

// SIGINT and SIGTERM as a descriptor the main loop watches; blocked in every
// thread started after this, so none of them is killed by the signal.
class CStopSignals {
public:
    CStopSignals();
    ~CStopSignals();
    CStopSignals(const CStopSignals&) = delete;
    CStopSignals& operator=(const CStopSignals&) = delete;
    int Fd() const { return fd_; }
    // Takes the signal that came, so that it is not delivered when the mask is restored.
    void Consume();

private:
    sigset_t set_{};
    sigset_t previous_{};
    int fd_ = -1;
};
