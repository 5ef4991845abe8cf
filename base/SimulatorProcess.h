#pragma once

#include <chrono>
#include <map>
#include <string>
#include <sys/types.h>
#include <vector>

// Runs the simulated controller (tundrix-sim) as a child process. The child
// announces each service on standard output as "NAME: ADDRESS" ("pty:
// /dev/pts/3", later "tcp: 127.0.0.1:5025"); Start waits, bounded, until every
// expected name has been announced.
//
// The child ends with us: it gets SIGTERM when this process dies (also when
// it is killed) and it exits when its standard input, a pipe from us, closes.
class CSimulatorProcess {
public:
    CSimulatorProcess() = default;
    CSimulatorProcess(const CSimulatorProcess&) = delete;
    CSimulatorProcess& operator=(const CSimulatorProcess&) = delete;
    ~CSimulatorProcess();

    bool Start(const std::string& program, const std::vector<std::string>& args,
               const std::vector<std::string>& expectedNames = {"pty"},
               std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // Ends the child: closes its input, then SIGTERM, then SIGKILL after a grace period.
    void Stop();

    bool IsRunning() const { return pid_ > 0; }
    // The address announced under NAME, or "".
    std::string Address(const std::string& name) const;
    // Why Start failed.
    const std::string& Error() const { return error_; }

    // A program shipped beside the running executable, else found on PATH, else "".
    static std::string FindProgram(const std::string& name);

private:
    pid_t pid_ = -1;
    int inputFd_ = -1;
    int outputFd_ = -1;
    std::map<std::string, std::string> addresses_;
    std::string error_;
};
