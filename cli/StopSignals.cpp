#include "cli/StopSignals.h"

#include <sys/signalfd.h>
#include <unistd.h>

CStopSignals::CStopSignals() {
    sigemptyset(&set_);
    sigaddset(&set_, SIGINT);
    sigaddset(&set_, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &set_, &previous_);
    fd_ = ::signalfd(-1, &set_, SFD_CLOEXEC | SFD_NONBLOCK);
}

CStopSignals::~CStopSignals() {
    if (fd_ >= 0)
        ::close(fd_);
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

void CStopSignals::Consume() {
    signalfd_siginfo info{};
    while (::read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
    }
}
