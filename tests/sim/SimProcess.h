#pragma once

// The simulator program as a child process with its standard streams on
// pipes, for the suites that check what it announces and how it ends.

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace simtest {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

inline int RemainingMs(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Reads from `fd` until `text` ends with `ending` or the time is up.
inline bool ReadUntil(int fd, std::string& text, const std::string& ending,
                      std::chrono::milliseconds wait) {
    const Clock::time_point deadline = Clock::now() + wait;
    while (!(text.size() >= ending.size() && text.ends_with(ending))) {
        pollfd entry{fd, POLLIN, 0};
        if (::poll(&entry, 1, RemainingMs(deadline)) <= 0) {
            return false;
        }
        char buffer[512];
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count <= 0) {
            return false;
        }
        text.append(buffer, static_cast<std::size_t>(count));
    }
    return true;
}

// Nothing arrives on `fd` within `wait`.
inline bool StaysQuiet(int fd, std::chrono::milliseconds wait) {
    pollfd entry{fd, POLLIN, 0};
    return ::poll(&entry, 1, static_cast<int>(wait.count())) == 0;
}

// One tundrix-sim process with its standard streams on pipes.
class SimProcess {
public:
    explicit SimProcess(const std::vector<std::string>& args) {
        int in[2], out[2], err[2];
        if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0 ||
            ::pipe2(err, O_CLOEXEC) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
        std::vector<std::string> all = {TUNDRIX_SIM_PROGRAM};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& arg : all) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        if (::posix_spawn(&pid_, TUNDRIX_SIM_PROGRAM, &actions, nullptr, argv.data(), environ) !=
            0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        ::close(err[1]);
        input_ = in[1];
        output_ = out[0];
        errors_ = err[0];
    }
    ~SimProcess() {
        CloseInput();
        if (pid_ > 0 && !WaitExit(3s)) {
            ::kill(pid_, SIGKILL);
            WaitExit(3s);
        }
        ::close(output_);
        ::close(errors_);
    }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    bool Started() const { return pid_ > 0; }
    // The next line of standard output, without its line feed; "" after 10 s.
    std::string NextLine() {
        const Clock::time_point deadline = Clock::now() + 10s;
        std::size_t end = pending_.find('\n');
        while (end == std::string::npos) {
            pollfd entry{output_, POLLIN, 0};
            char buffer[512];
            if (::poll(&entry, 1, RemainingMs(deadline)) <= 0) {
                return "";
            }
            const ssize_t count = ::read(output_, buffer, sizeof buffer);
            if (count <= 0) {
                return "";
            }
            pending_.append(buffer, static_cast<std::size_t>(count));
            end = pending_.find('\n');
        }
        std::string line = pending_.substr(0, end);
        pending_.erase(0, end + 1);
        return line;
    }
    // The rest of standard output up to its end (it never holds a NUL), or what came within 10 s.
    std::string AllOutput() {
        std::string text = std::move(pending_);
        pending_.clear();
        ReadUntil(output_, text, std::string(1, '\0'), 10s);
        return text;
    }
    std::string Errors() {
        std::string text;
        ReadUntil(errors_, text, "\n", 3s);
        return text;
    }
    void CloseInput() {
        if (input_ >= 0) {
            ::close(input_);
            input_ = -1;
        }
    }
    void Signal(int number) { ::kill(pid_, number); }
    // Clock ticks of processor time used so far, or -1.
    long CpuTicks() const {
        std::ifstream stat("/proc/" + std::to_string(pid_) + "/stat");
        std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
        const std::size_t end = text.rfind(')');
        if (end == std::string::npos) {
            return -1;
        }
        // After the command name: state, then fields 4..13, then utime and stime.
        std::istringstream fields(text.substr(end + 2));
        std::string skip;
        for (int i = 3; i <= 13; ++i) {
            fields >> skip;
        }
        long user = -1, system = -1;
        fields >> user >> system;
        return user < 0 || system < 0 ? -1 : user + system;
    }
    // True once the process ended within `wait`; its status is then in Status().
    bool WaitExit(std::chrono::milliseconds wait) {
        const Clock::time_point deadline = Clock::now() + wait;
        while (pid_ > 0) {
            const pid_t done = ::waitpid(pid_, &status_, WNOHANG);
            if (done == pid_ || (done < 0 && errno != EINTR)) {
                pid_ = -1;
                return true;
            }
            if (Clock::now() >= deadline) {
                return false;
            }
            std::this_thread::sleep_for(10ms);
        }
        return true;
    }
    int Status() const { return status_; }

private:
    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1;
    int errors_ = -1;
    int status_ = -1;
    std::string pending_; // read from standard output, not yet taken
};

} // namespace simtest
