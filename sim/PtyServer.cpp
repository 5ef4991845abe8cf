#include "sim/PtyServer.h"

#include "sim/SimController.h"
#include "sim/SimServerCalls.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace {

// How long a hang-up waits for the client to read the last reply, and how
// often it looks.
constexpr std::chrono::milliseconds HangUpGrace{2000};
constexpr std::chrono::milliseconds HangUpPoll{10};
constexpr std::chrono::milliseconds HangUpSettle{50};

bool SetFlags(int fd, int statusFlags) {
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags | statusFlags) == 0 &&
           ::fcntl(fd, F_SETFD, FD_CLOEXEC) == 0;
}

bool MakeRaw(int fd) {
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0) {
        return false;
    }
    settings.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR |
                                               ICRNL | IXON | IXOFF);
    settings.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    settings.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    settings.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB);
    settings.c_cflag |= CS8 | CREAD | CLOCAL;
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
    return ::tcsetattr(fd, TCSANOW, &settings) == 0;
}

} // namespace

CPtyServer::CPtyServer(CSimController& controller, std::chrono::milliseconds replyDelay,
                       int lineRate)
    : controller_(controller), replies_(replyDelay), readPace_(lineRate), writePace_(lineRate) {}

CPtyServer::~CPtyServer() {
    Close();
}

bool CPtyServer::Open(std::string& error) {
    Close();
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0) {
        error = Failure("posix_openpt");
        return false;
    }
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        error = Failure("grantpt/unlockpt");
        Close();
        return false;
    }
    // ptsname is not reentrant; the pseudo-terminal is opened before any second thread runs.
    const char* name = ::ptsname(master_);
    if (name == nullptr) {
        error = Failure("ptsname");
        Close();
        return false;
    }
    slavePath_ = name;
    slave_ = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) {
        error = Failure("open " + slavePath_);
        Close();
        return false;
    }
    if (!MakeRaw(slave_)) {
        error = Failure("tcsetattr");
        Close();
        return false;
    }
    if (!SetFlags(master_, O_NONBLOCK)) {
        error = Failure("fcntl");
        Close();
        return false;
    }
    goneAtStart_ = faults_.GoneAtStart();
    return true;
}

void CPtyServer::HangUp() {
    // Closing the master hangs the line up and removes its device. The
    // simulator's own end stays open until it exits, so that the device's
    // number is not given to another pseudo-terminal while a client may still
    // try the name it was told.
    if (master_ >= 0) {
        ::close(master_);
        master_ = -1;
    }
    lines_.Reset();
    replies_.Clear();
    hangUpWhenSent_ = false;
}

void CPtyServer::Close() {
    // A hang-up that also gives the device's number back and forgets its name.
    HangUp();
    if (slave_ >= 0) {
        ::close(slave_);
        slave_ = -1;
    }
    slavePath_.clear();
}

void CPtyServer::AddPollFds(std::vector<pollfd>& fds, Clock::time_point now) {
    short events = readHeld_ ? 0 : POLLIN;
    if (replies_.WantsWrite(now) && !writeHeld_) {
        events |= POLLOUT;
    }
    fds.push_back({master_, events, 0});
}

void CPtyServer::HandlePoll(std::span<const pollfd> fds, Clock::time_point now) {
    if (master_ < 0) {
        return;
    }
    if (goneAtStart_) {
        // Nothing the client sent in the meantime is read, let alone answered.
        goneAtStart_ = false;
        HangUp();
        return;
    }
    if (readHeld_ || (!fds.empty() && (fds[0].revents & (POLLIN | POLLERR | POLLHUP)) != 0)) {
        ReadCommands(now);
    }
    WriteReplies(now);
    if (hangUpWhenSent_ && replies_.PendingReplies() == 0) {
        // Hanging up flushes what the client has not read yet: wait (bounded)
        // until it has read the last reply, so that the line goes after it.
        // The bytes reach the line's input queue a moment after they were written.
        if (hangUpAt_ == Clock::time_point{}) {
            hangUpAt_ = now + HangUpGrace;
            sentAt_ = now;
        }
        int unread = 0;
        if (now >= hangUpAt_ || (now >= sentAt_ + HangUpSettle &&
                                 (::ioctl(slave_, FIONREAD, &unread) != 0 || unread == 0))) {
            HangUp();
        }
    }
}

std::optional<CSimTransport::Clock::time_point>
CPtyServer::NextWakeup(Clock::time_point now) const {
    if (goneAtStart_) {
        return now;
    }
    if (hangUpWhenSent_ && replies_.PendingReplies() == 0) {
        return hangUpAt_ == Clock::time_point{} ? now : std::min(hangUpAt_, now + HangUpPoll);
    }
    std::optional<Clock::time_point> next = replies_.NextWakeup(now);
    for (const auto& [held, pace] : {std::pair{readHeld_, &readPace_}, {writeHeld_, &writePace_}}) {
        if (held && (!next || pace->NextByte() < *next)) {
            next = pace->NextByte();
        }
    }
    return next;
}

void CPtyServer::WriteReplies(Clock::time_point now) {
    if (!writePace_.Paced()) {
        replies_.Flush(master_, now);
        return;
    }
    writeHeld_ = false;
    if (!replies_.WantsWrite(now)) {
        return;
    }
    const std::size_t allowed = writePace_.Allowance(now);
    std::size_t written = 0;
    replies_.Flush(master_, now, allowed, &written);
    writePace_.Sent(written, allowed);
    writeHeld_ = written == allowed && replies_.WantsWrite(now);
}

void CPtyServer::ReadCommands(Clock::time_point now) {
    // Bounded per wake-up so that one chatty client cannot starve the other transports.
    char buffer[4096];
    const std::size_t allowed = readPace_.Allowance(now);
    std::size_t taken = 0;
    readHeld_ = false;
    for (int round = 0; round < 16; ++round) {
        if (taken == allowed) {
            readHeld_ = true;
            break;
        }
        const ssize_t count = ::read(master_, buffer, std::min(sizeof buffer, allowed - taken));
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            break;
        }
        taken += static_cast<std::size_t>(count);
        lines_.Feed(
            std::string_view(buffer, static_cast<std::size_t>(count)),
            [&](std::string_view line) { Execute(line, now); },
            [&] { controller_.ReportInputOverrun(); });
    }
    readPace_.Sent(taken, allowed);
}

void CPtyServer::Execute(std::string_view line, Clock::time_point now) {
    if (!faults_.Serves()) {
        return;
    }
    std::optional<std::string> reply = controller_.Execute(line);
    if (reply) {
        *reply += "\r\n";
    }
    CSimFaults::Outcome out = faults_.Shape(reply);
    for (auto& piece : out.pieces) {
        replies_.PushAt(std::move(piece.bytes), now + piece.delay);
    }
    if (out.startStream) {
        replies_.StartStream();
    }
    hangUpWhenSent_ = hangUpWhenSent_ || out.hangUpAfter;
}
