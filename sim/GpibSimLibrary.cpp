// libtundrix-gpib-sim.so: a GPIB user library with the linux-gpib exports that
// reaches the simulated device of "tundrix-sim --gpib" instead of a board, so
// that the utility's GPIB transport runs unchanged against the simulator. The
// socket is named by TUNDRIX_SIM_GPIB; the wire is described in
// GpibSocketProtocol.h.
//
// What it models:
// - Board 0 only; ibdev on another board fails with ERR, EDVR, ibcntl ENODEV.
//   Primary addresses 0..30, secondary 0 or 96..126, time-out codes 0..17 by
//   the standard table (T10us .. T1000s), else ERR and EARG. "No time-out"
//   (code 0) waits as long as the longest code, so that no wait is unbounded.
// - ibdev connects to the socket (no variable: ENOENT; no server there:
//   ECONNREFUSED or ENOENT) but does not address the device: a device missing
//   at the address shows at the first ibwrt or ibclr (ERR, ENOL), or as an
//   ibrd that times out.
// - Reads end at the end of a reply (EOI; END in ibsta) or at `count` bytes,
//   never at an end-of-string character: eos is accepted and ignored.
// - A lost connection or a simulator that does not answer within the time-out
//   and a grace period fails with ERR, EDVR and ibcntl the errno; the
//   descriptor then fails every call until ibonl(ud, 0) frees it.
//
// Status: every call sets both the calling thread's status (ThreadIbsta,
// ThreadIberr, ThreadIbcntl) and the process-wide variables (ibsta, iberr,
// ibcntl, ibcnt). iberr changes only when ERR is set. Calls on different
// descriptors run concurrently; calls on one descriptor take turns.
//
// No C++ exception leaves the library (every entry point is noexcept and
// allocates nothing), and all of its state is constant-initialised, so
// loading it runs no constructors.

#include "sim/GpibSocketProtocol.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <mutex>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#define TUNDRIX_GPIB_EXPORT extern "C" __attribute__((visibility("default")))

extern "C" {
__attribute__((visibility("default"))) int ibsta = 0;
__attribute__((visibility("default"))) int iberr = 0;
__attribute__((visibility("default"))) int ibcnt = 0;
__attribute__((visibility("default"))) long ibcntl = 0;
}

namespace {

using Clock = std::chrono::steady_clock;

constexpr int MaxDescriptors = 64;
constexpr int MaxPrimary = 30;
constexpr int MinSecondary = 0x60;
constexpr int MaxSecondary = 0x7e;
// How long past its own time-out a request may take before the simulator counts as gone.
constexpr std::chrono::milliseconds Grace{2000};

// The standard time-out codes T10us (1) .. T1000s (17); code 0 is "none".
constexpr std::uint32_t TimeoutUs[] = {
    GpibWire::MaxTimeoutUs,
    10,
    30,
    100,
    300,
    1'000,
    3'000,
    10'000,
    30'000,
    100'000,
    300'000,
    1'000'000,
    3'000'000,
    10'000'000,
    30'000'000,
    100'000'000,
    300'000'000,
    1'000'000'000,
};
static_assert(TimeoutUs[11] == 1'000'000, "T1s is one second");

struct Descriptor {
    std::mutex io; // one call at a time on a descriptor
    // The fields below are guarded by io.
    bool open = false;
    int fd = -1; // -1 once the connection failed
    std::uint32_t address = 0;
    std::uint32_t timeoutUs = 0;
    bool eot = true;
};

constinit std::mutex tableMutex;
constinit bool slotTaken[MaxDescriptors] = {}; // guarded by tableMutex
constinit Descriptor descriptors[MaxDescriptors];
constinit std::mutex globalStatusMutex;

thread_local int threadIbsta = 0;
thread_local int threadIberr = 0;
thread_local long threadIbcntl = 0;

// Records the status of a call in the thread's and the process-wide copies.
int Finish(std::uint32_t status, std::uint32_t error, long count) noexcept {
    const int bits = static_cast<int>(status);
    const bool failed = (status & GpibWire::Err) != 0;
    threadIbsta = bits;
    if (failed) {
        threadIberr = static_cast<int>(error);
    }
    threadIbcntl = count;
    std::lock_guard lock(globalStatusMutex);
    ibsta = bits;
    if (failed) {
        iberr = static_cast<int>(error);
    }
    ibcntl = count;
    ibcnt = static_cast<int>(count);
    return bits;
}

int SystemError(int error) noexcept {
    return Finish(GpibWire::Err, GpibWire::Edvr, error);
}

int ArgumentError() noexcept {
    return Finish(GpibWire::Err, GpibWire::Earg, 0);
}

int MillisecondsUntil(Clock::time_point deadline) noexcept {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Waits for `events` on `fd` until the deadline; 0, or the errno to report.
int WaitFor(int fd, short events, Clock::time_point deadline) noexcept {
    while (true) {
        pollfd entry{fd, events, 0};
        const int ready = ::poll(&entry, 1, MillisecondsUntil(deadline));
        if (ready > 0) {
            return 0;
        }
        if (ready == 0) {
            return ETIMEDOUT;
        }
        if (errno != EINTR) {
            return errno;
        }
    }
}

int SendAll(int fd, const char* bytes, std::size_t size, Clock::time_point deadline) noexcept {
    while (size > 0) {
        const ssize_t count = ::send(fd, bytes, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (count > 0) {
            bytes += count;
            size -= static_cast<std::size_t>(count);
            continue;
        }
        if (count < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            return errno;
        }
        if (const int error = WaitFor(fd, POLLOUT, deadline); error != 0) {
            return error;
        }
    }
    return 0;
}

int ReceiveAll(int fd, char* bytes, std::size_t size, Clock::time_point deadline) noexcept {
    while (size > 0) {
        const ssize_t count = ::recv(fd, bytes, size, MSG_DONTWAIT);
        if (count > 0) {
            bytes += count;
            size -= static_cast<std::size_t>(count);
            continue;
        }
        if (count == 0) {
            return ECONNRESET;
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            return errno;
        }
        if (const int error = WaitFor(fd, POLLIN, deadline); error != 0) {
            return error;
        }
    }
    return 0;
}

// One request and its answer; a Read's data goes to `buffer`. 0, or the errno
// that broke the connection (which is then closed).
int Exchange(Descriptor& device, const GpibWire::Request& request, const void* data,
             GpibWire::Answer& answer, void* buffer) noexcept {
    if (device.fd < 0) {
        return ENOTCONN;
    }
    const Clock::time_point deadline =
        Clock::now() + std::chrono::microseconds(request.timeoutUs) + Grace;
    int error =
        SendAll(device.fd, reinterpret_cast<const char*>(&request), sizeof request, deadline);
    if (error == 0 && request.length > 0) {
        error = SendAll(device.fd, static_cast<const char*>(data), request.length, deadline);
    }
    if (error == 0) {
        error = ReceiveAll(device.fd, reinterpret_cast<char*>(&answer), sizeof answer, deadline);
    }
    if (error == 0 && request.op == GpibWire::Read) {
        error = answer.count <= request.value
                    ? ReceiveAll(device.fd, static_cast<char*>(buffer), answer.count, deadline)
                    : EPROTO;
    }
    if (error != 0) {
        ::close(device.fd);
        device.fd = -1;
    }
    return error;
}

// The descriptor `ud` locked for a call, or null when it is not open.
class Held {
public:
    explicit Held(int ud) noexcept {
        if (ud < 1 || ud > MaxDescriptors) {
            return;
        }
        device_ = &descriptors[ud - 1];
        device_->io.lock();
        if (!device_->open) {
            device_->io.unlock();
            device_ = nullptr;
        }
    }
    ~Held() {
        if (device_ != nullptr) {
            device_->io.unlock();
        }
    }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;

    Descriptor* operator->() const noexcept { return device_; }
    Descriptor& operator*() const noexcept { return *device_; }
    explicit operator bool() const noexcept { return device_ != nullptr; }

private:
    Descriptor* device_ = nullptr;
};

// A connected socket to the simulator, or -1 with `error` set.
int Connect(int& error) noexcept {
    const char* path = std::getenv("TUNDRIX_SIM_GPIB");
    if (path == nullptr || path[0] == '\0') {
        error = ENOENT;
        return -1;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::size_t length = std::strlen(path);
    if (length >= sizeof address.sun_path) {
        error = ENAMETOOLONG;
        return -1;
    }
    std::memcpy(address.sun_path, path, length + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = errno;
        return -1;
    }
    // A local connect completes at once or fails (EAGAIN: the simulator's queue is full).
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        error = errno;
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

TUNDRIX_GPIB_EXPORT int ibdev(int minor, int pad, int sad, int timo, int send_eoi,
                              int eosmode) noexcept {
    static_cast<void>(eosmode);
    if (minor != 0) {
        SystemError(ENODEV);
        return -1;
    }
    if (pad < 0 || pad > MaxPrimary || (sad != 0 && (sad < MinSecondary || sad > MaxSecondary)) ||
        timo < 0 || timo >= static_cast<int>(std::size(TimeoutUs))) {
        ArgumentError();
        return -1;
    }
    int error = 0;
    const int fd = Connect(error);
    if (fd < 0) {
        SystemError(error);
        return -1;
    }
    int slot = -1;
    {
        std::lock_guard lock(tableMutex);
        for (int i = 0; i < MaxDescriptors && slot < 0; ++i) {
            if (!slotTaken[i]) {
                slotTaken[i] = true;
                slot = i;
            }
        }
    }
    if (slot < 0) {
        ::close(fd);
        SystemError(EMFILE);
        return -1;
    }
    Descriptor& device = descriptors[slot];
    {
        std::lock_guard lock(device.io);
        device.open = true;
        device.fd = fd;
        device.address = GpibWire::Address(pad, sad);
        device.timeoutUs = TimeoutUs[timo];
        device.eot = send_eoi != 0;
    }
    Finish(GpibWire::Cmpl, 0, 0);
    return slot + 1;
}

TUNDRIX_GPIB_EXPORT int ibwrt(int ud, const void* buf, long count) noexcept {
    Held device(ud);
    if (!device) {
        return SystemError(EBADF);
    }
    if (count < 0 || (count > 0 && buf == nullptr)) {
        return ArgumentError();
    }
    // Longer messages go in several requests, EOI only with the last byte.
    const char* bytes = static_cast<const char*>(buf);
    long written = 0;
    do {
        const auto length =
            static_cast<std::uint32_t>(std::min<long>(count - written, GpibWire::MaxData));
        const bool last = written + length == count;
        const GpibWire::Request request{GpibWire::Write, device->address,
                                        last && device->eot ? GpibWire::EoiFlag : 0u,
                                        device->timeoutUs, length};
        GpibWire::Answer answer{};
        if (const int error = Exchange(*device, request, bytes + written, answer, nullptr);
            error != 0) {
            return SystemError(error);
        }
        if ((answer.ibsta & GpibWire::Err) != 0) {
            return Finish(answer.ibsta, answer.iberr, written);
        }
        written += length;
    } while (written < count);
    return Finish(GpibWire::Cmpl, 0, written);
}

TUNDRIX_GPIB_EXPORT int ibrd(int ud, void* buf, long count) noexcept {
    Held device(ud);
    if (!device) {
        return SystemError(EBADF);
    }
    if (count < 0 || (count > 0 && buf == nullptr)) {
        return ArgumentError();
    }
    // A reply never exceeds the device's output queue, so one request reads all a call can get.
    const GpibWire::Request request{
        GpibWire::Read, device->address,
        static_cast<std::uint32_t>(std::min<long>(count, GpibWire::MaxData)), device->timeoutUs, 0};
    GpibWire::Answer answer{};
    if (const int error = Exchange(*device, request, nullptr, answer, buf); error != 0) {
        return SystemError(error);
    }
    return Finish(answer.ibsta, answer.iberr, answer.count);
}

TUNDRIX_GPIB_EXPORT int ibclr(int ud) noexcept {
    Held device(ud);
    if (!device) {
        return SystemError(EBADF);
    }
    const GpibWire::Request request{GpibWire::Clear, device->address, 0, device->timeoutUs, 0};
    GpibWire::Answer answer{};
    if (const int error = Exchange(*device, request, nullptr, answer, nullptr); error != 0) {
        return SystemError(error);
    }
    return Finish(answer.ibsta, answer.iberr, 0);
}

TUNDRIX_GPIB_EXPORT int ibonl(int ud, int onl) noexcept {
    Held device(ud);
    if (!device) {
        return SystemError(EBADF);
    }
    if (onl != 0) {
        return Finish(GpibWire::Cmpl, 0, 0);
    }
    if (device->fd >= 0) {
        ::close(device->fd);
        device->fd = -1;
    }
    device->open = false;
    {
        std::lock_guard lock(tableMutex);
        slotTaken[ud - 1] = false;
    }
    return Finish(GpibWire::Cmpl, 0, 0);
}

TUNDRIX_GPIB_EXPORT int ThreadIbsta() noexcept {
    return threadIbsta;
}

TUNDRIX_GPIB_EXPORT int ThreadIberr() noexcept {
    return threadIberr;
}

TUNDRIX_GPIB_EXPORT long ThreadIbcntl() noexcept {
    return threadIbcntl;
}
