#include "app/VaporixLauncher.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <linux/close_range.h>
#include <poll.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include "base/BusyWait.h"
#include "base/SimulatorProcess.h"
#include "calc/TitleChannel.h"

namespace {

// Starts `path` detached: a child forks the program and exits at once, so the
// program is adopted by init and never becomes our zombie. The program's start
// is confirmed through a close-on-exec pipe: it closes empty when exec
// succeeded and carries exec's errno when it failed. 0 or that errno.
int StartDetached(const std::string& path) {
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return errno;
    char* const argv[] = {const_cast<char*>(path.c_str()), nullptr};

    const pid_t child = ::fork();
    if (child < 0) {
        const int error = errno;
        ::close(report[0]);
        ::close(report[1]);
        return error;
    }
    if (child == 0) {
        // Only async-signal-safe calls from here on: the utility has threads.
        ::setsid();
        const pid_t program = ::fork();
        if (program == 0) {
            int nullFd = ::open("/dev/null", O_RDONLY);
            if (nullFd >= 0 && nullFd != 0) {
                ::dup2(nullFd, 0);
                ::close(nullFd);
            }
            // No handle of the utility reaches the calculator.
            ::syscall(SYS_close_range, 3u, ~0u, CLOSE_RANGE_CLOEXEC);
            ::execv(path.c_str(), argv);
            const int error = errno;
            ssize_t ignored = ::write(report[1], &error, sizeof error);
            (void)ignored;
            ::_exit(127);
        }
        if (program < 0) {
            const int error = errno;
            ssize_t ignored = ::write(report[1], &error, sizeof error);
            (void)ignored;
        }
        ::_exit(0);
    }

    ::close(report[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    // The write end closes at exec in the program; a program that neither
    // execs nor fails within the bound is taken as started.
    int error = 0;
    pollfd ready{report[0], POLLIN, 0};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
        // "Vapor Pressure" waits on the window's thread: the windows keep painting.
        int n = PollPumped(&ready, 1, 100);
        if (n < 0 && errno != EINTR)
            break;
        if (n <= 0)
            continue;
        int reported = 0;
        if (::read(report[0], &reported, sizeof reported) == ssize_t(sizeof reported))
            error = reported;
        break;
    }
    ::close(report[0]);
    return error;
}

} // namespace

VaporixLaunch LaunchVaporix(IMessageBoxes& boxes, const std::string& program) {
    if (CTitleChannel::PostClose(VaporixTitle))
        return VaporixLaunch::Closed;

    const std::string path = CSimulatorProcess::FindProgram(program);
    const int error = path.empty() ? ENOENT : StartDetached(path);
    if (error == 0)
        return VaporixLaunch::Started;
    if (error == ENOENT) {
        boxes.ShowMessage("Cannot find Vaporix", MessageIcon::Stop);
        return VaporixLaunch::NotFound;
    }
    boxes.ShowMessage("Cannot launch Vaporix", MessageIcon::Stop);
    return VaporixLaunch::NotStarted;
}

bool CloseQuillmere() {
    return CTitleChannel::PostClose(QuillmereTitle);
}
