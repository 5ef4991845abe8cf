#include "sim/SimServerCalls.h"

#include <cerrno>
#include <cstring>
#include <sys/socket.h>

namespace {

constexpr std::chrono::milliseconds AcceptPause{100};

} // namespace

std::string Failure(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

int AcceptConnection(int listener, CSimTransport::Clock::time_point now,
                     CSimTransport::Clock::time_point& pausedUntil) {
    const int fd = ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0 && (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM))
        pausedUntil = now + AcceptPause;
    return fd;
}
