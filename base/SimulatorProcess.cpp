#include "base/SimulatorProcess.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "base/ShippedFiles.h"

namespace {

// Waits up to `timeout` for the child to end; true when it has.
bool Reap(pid_t pid, std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        int status = 0;
        pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid || (r < 0 && errno == ECHILD))
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

bool IsExecutable(const std::string& path) {
    return ::access(path.c_str(), X_OK) == 0;
}

} // namespace

CSimulatorProcess::~CSimulatorProcess() {
    Stop();
}

bool CSimulatorProcess::Start(const std::string& program, const std::vector<std::string>& args,
                              const std::vector<std::string>& expectedNames,
                              std::chrono::milliseconds timeout) {
    Stop();
    addresses_.clear();
    error_.clear();
    if (program.empty() || !IsExecutable(program)) {
        error_ = "the simulator program " +
                 (program.empty() ? std::string("tundrix-sim") : program) +
                 " cannot be found or run";
        return false;
    }
    int input[2];
    int output[2];
    if (::pipe2(input, O_CLOEXEC) != 0)
        return error_ = std::string("pipe: ") + std::strerror(errno), false;
    if (::pipe2(output, O_CLOEXEC) != 0) {
        ::close(input[0]);
        ::close(input[1]);
        return error_ = std::string("pipe: ") + std::strerror(errno), false;
    }
    // Everything the child needs is prepared before fork: after it, only
    // async-signal-safe calls are allowed.
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t parent = ::getpid();

    pid_t pid = ::fork();
    if (pid < 0) {
        error_ = std::string("fork: ") + std::strerror(errno);
        for (int fd : {input[0], input[1], output[0], output[1]})
            ::close(fd);
        return false;
    }
    if (pid == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent)
            ::_exit(1);
        ::dup2(input[0], STDIN_FILENO);
        ::dup2(output[1], STDOUT_FILENO);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(input[0]);
    ::close(output[1]);
    pid_ = pid;
    inputFd_ = input[1];
    outputFd_ = output[0];

    auto deadline = std::chrono::steady_clock::now() + timeout;
    std::string text;
    auto announced = [&] {
        for (const auto& name : expectedNames)
            if (!addresses_.count(name))
                return false;
        return true;
    };
    while (!announced()) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd p{outputFd_, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) == 0) {
            error_ = "the simulator did not announce itself in time";
            Stop();
            return false;
        }
        char buffer[512];
        ssize_t n = ::read(outputFd_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error_ = "the simulator ended before it was ready";
            Stop();
            return false;
        }
        text.append(buffer, static_cast<std::size_t>(n));
        if (text.size() > std::size_t{64} * 1024) {
            error_ = "the simulator printed no usable announcement";
            Stop();
            return false;
        }
        for (auto nl = text.find('\n'); nl != std::string::npos; nl = text.find('\n')) {
            std::string line = text.substr(0, nl);
            text.erase(0, nl + 1);
            auto colon = line.find(": ");
            if (colon != std::string::npos)
                addresses_[line.substr(0, colon)] = line.substr(colon + 2);
        }
    }
    return true;
}

void CSimulatorProcess::Stop() {
    if (inputFd_ >= 0)
        ::close(inputFd_);
    inputFd_ = -1;
    if (pid_ > 0) {
        if (!Reap(pid_, std::chrono::milliseconds(2000))) {
            ::kill(pid_, SIGTERM);
            if (!Reap(pid_, std::chrono::milliseconds(1000))) {
                ::kill(pid_, SIGKILL);
                Reap(pid_, std::chrono::milliseconds(1000));
            }
        }
    }
    pid_ = -1;
    if (outputFd_ >= 0)
        ::close(outputFd_);
    outputFd_ = -1;
}

std::string CSimulatorProcess::Address(const std::string& name) const {
    auto it = addresses_.find(name);
    return it == addresses_.end() ? std::string() : it->second;
}

std::string CSimulatorProcess::FindProgram(const std::string& name) {
    if (const std::string dir = ProgramFolder(); !dir.empty() && IsExecutable(dir + name))
        return dir + name;
    const char* path = std::getenv("PATH");
    std::string rest = path ? path : "";
    while (!rest.empty()) {
        auto colon = rest.find(':');
        std::string dir = rest.substr(0, colon);
        rest.erase(0, colon == std::string::npos ? rest.size() : colon + 1);
        if (dir.empty())
            continue;
        std::string candidate = dir;
        candidate += '/';
        candidate += name;
        if (IsExecutable(candidate))
            return candidate;
    }
    return {};
}
