// The simulator program end to end: started as a process, spoken to through
// the pseudo-terminal it announces, as the utility's serial port does.

#include "ReplyText.h"
#include "sim/SimErrorQueue.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <memory>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Reads from `fd` until `text` ends with `ending` or the time is up.
bool ReadUntil(int fd, std::string& text, const std::string& ending,
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
bool StaysQuiet(int fd, std::chrono::milliseconds wait) {
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
    // The first line of standard output, without its line feed; "" after 10 s.
    std::string FirstLine() {
        std::string text;
        if (!ReadUntil(output_, text, "\n", 10s)) {
            return "";
        }
        text.pop_back();
        return text;
    }
    // Standard output up to its end (it never holds a NUL), or what came within 10 s.
    std::string AllOutput() {
        std::string text;
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
};

// A client on the announced device, raw like the utility's serial port.
class PtyClient {
public:
    explicit PtyClient(const std::string& device)
        : fd_(::open(device.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC)) {}
    ~PtyClient() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    PtyClient(const PtyClient&) = delete;
    PtyClient& operator=(const PtyClient&) = delete;

    int Fd() const { return fd_; }
    bool Send(const std::string& bytes) {
        return ::write(fd_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }
    // The bytes of one reply, "\r\n" included; "" when none came in time.
    std::string Reply(std::chrono::milliseconds wait = 3s) {
        std::string text;
        return ReadUntil(fd_, text, "\r\n", wait) ? text : "";
    }
    std::string Query(const std::string& line) { return Send(line + "\n") ? Reply() : ""; }

private:
    int fd_;
};

class PtyServerTest : public ::testing::Test {
protected:
    // Starts the simulator and opens its device; the device path is checked here.
    std::unique_ptr<PtyClient> Start(const std::vector<std::string>& args) {
        sim_ = std::make_unique<SimProcess>(args);
        EXPECT_TRUE(sim_->Started());
        const std::string first = sim_->FirstLine();
        const std::string prefix = "pty: ";
        const bool announced =
            first.starts_with(prefix + "/dev/pts/") && AllDigits(first.substr(prefix.size() + 9));
        EXPECT_TRUE(announced) << "first line: " << first;
        device_ = announced ? first.substr(prefix.size()) : "";
        auto client = std::make_unique<PtyClient>(device_);
        EXPECT_GE(client->Fd(), 0) << device_;
        return client;
    }
    int ExitStatusAfterSignal(int number) {
        sim_->Signal(number);
        EXPECT_TRUE(sim_->WaitExit(5s));
        return sim_->Status();
    }

    std::unique_ptr<SimProcess> sim_;
    std::string device_;
};

TEST_F(PtyServerTest, AnnouncesItsDeviceAndAnswersLineByLine) {
    auto client = Start({"--pty"});
    ASSERT_GE(client->Fd(), 0);
    // Exactly the reply, ended by CR LF: no echo of the command before it.
    EXPECT_EQ(client->Query("*IDN?"), "ARKTRONIC,TX-28,SN280417,1.4.2\r\n");

    const std::string monitor = client->Query("INP A:TEMP?;UNIT?;NAME?;\r");
    const std::vector<std::string> fields = Fields(monitor, ';');
    ASSERT_EQ(fields.size(), 3u) << monitor;
    EXPECT_TRUE(LooksLikeReading(fields[0])) << monitor;
    EXPECT_EQ(fields[1], "K");
    EXPECT_EQ(fields[2], "Input A\r\n");

    // A setting is not answered: the next bytes on the line belong to the query after it.
    ASSERT_TRUE(client->Send("INP A:NAME Probe\nINP A:NA"));
    ASSERT_TRUE(StaysQuiet(client->Fd(), 200ms));
    ASSERT_TRUE(client->Send("ME?\n"));
    EXPECT_EQ(client->Reply(), "Probe\r\n");

    // An oversized line is dropped and leaves its trace in the error queue.
    ASSERT_TRUE(client->Send(std::string(3000, 'A') + "?\n"));
    EXPECT_EQ(client->Query("SYST:ERR?"), "-363,Input buffer overrun\r\n");
    ASSERT_TRUE(client->Send("NOPE?\n"));
    EXPECT_EQ(client->Query("SYST:ERR?"), "-113,Undefined header\r\n");
}

TEST_F(PtyServerTest, DeviceCanBeClosedAndOpenedAgain) {
    auto client = Start({"--pty", "--model", "31"});
    EXPECT_EQ(client->Query("SYST:IDEF?").substr(0, 3), "31,");
    client.reset();

    // With no client the simulator waits quietly instead of spinning on a hung-up line.
    const long before = sim_->CpuTicks();
    std::this_thread::sleep_for(500ms);
    const long used = sim_->CpuTicks() - before;
    ASSERT_GE(before, 0);
    EXPECT_LT(used, ::sysconf(_SC_CLK_TCK) / 10) << "ticks used while idle";
    PtyClient again(device_);
    ASSERT_GE(again.Fd(), 0);
    EXPECT_EQ(again.Query("*IDN?").substr(0, 16), "ARKTRONIC,TX-31,");
    EXPECT_EQ(again.Query("INP C:TEMP?;:SYST:ERR?"), "-114,Header suffix out of range\r\n");
}

TEST_F(PtyServerTest, ReplyDelayMakesALateInstrument) {
    auto client = Start({"--pty", "--reply-delay=400"});
    const Clock::time_point sent = Clock::now();
    ASSERT_TRUE(client->Send("*IDN?\n"));
    EXPECT_EQ(client->Reply(3s).substr(0, 10), "ARKTRONIC,");
    const auto elapsed = Clock::now() - sent;
    EXPECT_GE(elapsed, 390ms);
    EXPECT_LT(elapsed, 2500ms);
}

TEST_F(PtyServerTest, EndsWhenItsInputClosesOrOnSignals) {
    Start({"--pty"});
    sim_->CloseInput();
    ASSERT_TRUE(sim_->WaitExit(5s));
    EXPECT_TRUE(WIFEXITED(sim_->Status()) && WEXITSTATUS(sim_->Status()) == 0) << sim_->Status();

    for (int number : {SIGTERM, SIGINT}) {
        Start({"--pty"});
        const int status = ExitStatusAfterSignal(number);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << number << ": " << status;
    }
}

TEST_F(PtyServerTest, AClientThatNeverReadsDoesNotHangTheSimulator) {
    auto client = Start({"--pty"});
    ::fcntl(client->Fd(), F_SETFL, ::fcntl(client->Fd(), F_GETFL) | O_NONBLOCK);
    // Far more replies than a terminal buffers.
    const std::string burst = [] {
        std::string text;
        for (int i = 0; i < 200; ++i) {
            text += "INP A:TEMP?;UNIT?;NAME?;:INP B:TEMP?;UNIT?;NAME?;*IDN?\n";
        }
        return text;
    }();
    for (int i = 0; i < 40; ++i) {
        [[maybe_unused]] const ssize_t sent = ::write(client->Fd(), burst.data(), burst.size());
        std::this_thread::sleep_for(5ms);
    }
    const int status = ExitStatusAfterSignal(SIGTERM);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

TEST(TundrixSimCommandLineTest, WrongArgumentsExitWithStatusTwo) {
    const std::vector<std::vector<std::string>> wrong = {
        {"--pty", "--model", "36"},
        {"--pty", "--model", "26"},
        {"--pty", "--model", "2x"},
        {"--pty", "--model"},
        {"--pty", "--reply-delay", "-1"},
        {"--pty", "--bogus"},
        {},
    };
    for (const auto& args : wrong) {
        SimProcess sim(args);
        ASSERT_TRUE(sim.Started());
        EXPECT_NE(sim.Errors().find("tundrix-sim: "), std::string::npos);
        EXPECT_EQ(sim.FirstLine(), "") << "printed a device anyway";
        ASSERT_TRUE(sim.WaitExit(5s));
        EXPECT_TRUE(WIFEXITED(sim.Status()) && WEXITSTATUS(sim.Status()) == 2);
    }

    SimProcess help({"--help"});
    const std::string text = help.AllOutput();
    EXPECT_EQ(text.rfind("Usage: tundrix-sim --pty", 0), 0u);
    // The help tells the error a missing input or loop queues, exactly as "SYST:ERR?" says it.
    EXPECT_NE(text.find(std::to_string(SimErrorSuffixOutOfRange) + "," +
                        SimErrorText(SimErrorSuffixOutOfRange) + "\n"),
              std::string::npos);
    ASSERT_TRUE(help.WaitExit(5s));
    EXPECT_TRUE(WIFEXITED(help.Status()) && WEXITSTATUS(help.Status()) == 0);
}

} // namespace
