#include "comm/SerialPort.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "base/BusyWait.h"

namespace {

// Received bytes not yet delivered; the device keeps anything beyond this.
constexpr std::size_t PendingCapacity = std::size_t{64} * 1024;
// The original driver waited without limit for a write; a line that never
// drains (a stopped peer) must not hang the program, so a write gives up here.
constexpr int WriteTimeoutMs = 2000;

speed_t SpeedConstant(int baud) {
    switch (baud) {
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    default:
        return B0;
    }
}

std::string OpenFailureText(const std::string& path, int error) {
    std::string text = path + ": " + std::strerror(error);
    if (error == EACCES || error == EPERM)
        text += ". The user must be in the 'dialout' group to open serial ports "
                "(sudo usermod -aG dialout $USER, then log in again).";
    else if (error == EBUSY || error == EWOULDBLOCK)
        text += ". Another program is using the port.";
    return text;
}

} // namespace

SerialTimeouts SerialTimeouts::ForBaud(int baud) {
    int m = baud > 0 ? 10000 / baud : 0;
    if (m == 0)
        m = 1;
    return {4 * m, m, 10 * m};
}

SerialTimeouts SerialTimeouts::DividedBy(int divisor) const {
    if (divisor <= 1)
        return *this;
    const int total = perByteMs * static_cast<int>(CSerialPort::ReadSize) + constantMs;
    SerialTimeouts divided;
    divided.intervalMs = std::max(1, intervalMs / divisor);
    divided.perByteMs = perByteMs / divisor;
    divided.constantMs =
        std::max(1, total / divisor - divided.perByteMs * static_cast<int>(CSerialPort::ReadSize));
    return divided;
}

int BaudForRateCode(int rateCode) {
    static constexpr int Rates[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
    return rateCode >= 1 && rateCode <= 8 ? Rates[rateCode - 1] : 0;
}

CSerialPort::CSerialPort(std::string devicePath, int rateCode, int timeoutDivisor)
    : devicePath_(std::move(devicePath)) {
    int baud = BaudForRateCode(rateCode);
    if (baud == 0) {
        error_ =
            devicePath_ + ": unsupported baud rate (rate code " + std::to_string(rateCode) + ")";
        return;
    }
    timeouts_ = SerialTimeouts::ForBaud(baud).DividedBy(timeoutDivisor);
    if (devicePath_.empty()) {
        error_ = "no serial device is configured for this port";
        return;
    }
    fd_ = ::open(devicePath_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        error_ = OpenFailureText(devicePath_, errno);
        return;
    }
    if (!::isatty(fd_)) {
        error_ = devicePath_ + ": not a serial device";
        Close();
        return;
    }
    // The port is not shared: other programs of ours see the lock, others TIOCEXCL.
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        error_ = OpenFailureText(devicePath_, errno);
        Close();
        return;
    }
    ::ioctl(fd_, TIOCEXCL);

    termios tio{};
    if (::tcgetattr(fd_, &tio) != 0) {
        error_ = devicePath_ + ": " + std::strerror(errno);
        return;
    }
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK);
    // With O_NONBLOCK, VMIN 1 makes an empty line answer EAGAIN; a read of 0
    // bytes then means the line was hung up.
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    ::cfsetispeed(&tio, SpeedConstant(baud));
    ::cfsetospeed(&tio, SpeedConstant(baud));
    if (::tcsetattr(fd_, TCSANOW, &tio) != 0) {
        error_ = devicePath_ + ": " + std::strerror(errno);
        return;
    }
    // DTR and RTS line control disabled; a pseudo-terminal has no modem lines.
    int lines = TIOCM_DTR | TIOCM_RTS;
    ::ioctl(fd_, TIOCMBIC, &lines);
    // Stale input only: on a pseudo-terminal an output flush would also throw
    // away lines the previous user of the port sent and the other end has not
    // read yet (a curve's last lines and its ";").
    ::tcflush(fd_, TCIFLUSH);
    open_ = true;
}

CSerialPort::~CSerialPort() {
    Close();
}

void CSerialPort::Close() {
    if (fd_ >= 0) {
        // Another open of a pseudo-terminal that someone else keeps open would
        // otherwise stay refused.
        ::ioctl(fd_, TIOCNXCL);
        ::close(fd_);
    }
    fd_ = -1;
    open_ = false;
    pending_.clear();
}

int CSerialPort::WriteLine(std::string_view text) {
    if (text.empty() || fd_ < 0 || text.size() + 1 > WriteSize)
        return 0;
    std::string line(text);
    line += '\n';
    auto deadline = Clock::now() + std::chrono::milliseconds(WriteTimeoutMs);
    std::size_t done = 0;
    while (done < line.size()) {
        ssize_t n = ::write(fd_, line.data() + done, line.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            hungUp_ = hungUp_ || errno == EIO;
            return 0;
        }
        pollfd p{fd_, POLLOUT, 0};
        int wait = MillisecondsUntil(deadline);
        if (wait == 0 || (PollPumped(&p, 1, wait) < 0 && errno != EINTR))
            return 0;
    }
    return 1;
}

bool CSerialPort::Receive(Clock::time_point arrival) {
    char buffer[4096];
    while (pending_.size() < PendingCapacity) {
        std::size_t room = std::min(sizeof buffer, PendingCapacity - pending_.size());
        ssize_t n = ::read(fd_, buffer, room);
        if (n > 0) {
            pending_.append(buffer, static_cast<std::size_t>(n));
            lastArrival_ = arrival;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        // 0 or EIO: the other end of the line is gone.
        if (n < 0 && errno == EAGAIN)
            return true;
        hungUp_ = true;
        return false;
    }
    return true;
}

void CSerialPort::Idle(std::chrono::milliseconds duration) {
    auto deadline = Clock::now() + duration;
    for (int wait; (wait = MillisecondsUntil(deadline)) > 0;) {
        if (fd_ < 0 || pending_.size() >= PendingCapacity) {
            SleepPumped(std::chrono::milliseconds(wait));
            return;
        }
        pollfd p{fd_, POLLIN, 0};
        int ready = PollPumped(&p, 1, wait);
        if (ready > 0 && (p.revents & POLLIN) && Receive(Clock::now()))
            continue;
        if (ready != 0 && !(ready < 0 && errno == EINTR)) {
            // Hang-up or error: nothing more will arrive; just let the time pass.
            SleepPumped(std::chrono::milliseconds(MillisecondsUntil(deadline)));
            return;
        }
    }
}

void CSerialPort::DiscardInput() {
    pending_.clear();
    if (fd_ < 0)
        return;
    ::tcflush(fd_, TCIFLUSH);
    Receive(Clock::now());
    pending_.clear();
}

bool CSerialPort::DiscardLateReply(std::chrono::milliseconds wait, std::string& discarded,
                                   bool wholeWait) {
    discarded = std::move(pending_);
    pending_.clear();
    const auto deadline = Clock::now() + wait;
    bool lineUp = fd_ >= 0 && Receive(Clock::now());
    for (int left; lineUp && (left = MillisecondsUntil(deadline)) > 0;) {
        discarded += pending_;
        pending_.clear();
        if ((!wholeWait && discarded.find('\n') != std::string::npos) ||
            discarded.size() >= PendingCapacity)
            break;
        pollfd p{fd_, POLLIN, 0};
        int ready = PollPumped(&p, 1, left);
        if (ready > 0)
            lineUp = (p.revents & POLLIN) ? Receive(Clock::now()) : false;
        else if (ready < 0 && errno != EINTR)
            lineUp = false;
    }
    discarded += pending_;
    DiscardInput();
    return !discarded.empty();
}

int CSerialPort::ReadChunk(std::string& text) {
    if (fd_ < 0)
        return 0;
    const auto start = Clock::now();
    const auto interval = std::chrono::milliseconds(timeouts_.intervalMs);
    const auto total = start + std::chrono::milliseconds(timeouts_.perByteMs * int(ReadSize) +
                                                         timeouts_.constantMs);
    bool lineUp = Receive(start);
    for (;;) {
        auto now = Clock::now();
        bool full = pending_.size() >= ReadSize;
        bool quiet = !pending_.empty() && now - lastArrival_ >= interval;
        if (full || quiet || now >= total || !lineUp)
            break;
        auto until = total;
        if (!pending_.empty())
            until = std::min(total, lastArrival_ + interval);
        pollfd p{fd_, POLLIN, 0};
        int ready = PollPumped(&p, 1, std::max(1, MillisecondsUntil(until)));
        if (ready > 0)
            lineUp = (p.revents & POLLIN) ? Receive(Clock::now()) : false;
        else if (ready < 0 && errno != EINTR)
            lineUp = false;
    }
    if (pending_.empty())
        return 0;
    std::size_t n = std::min(pending_.size(), ReadSize);
    text.assign(pending_, 0, n);
    pending_.erase(0, n);
    return 1;
}
