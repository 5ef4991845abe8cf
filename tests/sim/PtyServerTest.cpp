// The simulator program end to end: started as a process, spoken to through
// the pseudo-terminal it announces, as the utility's serial port does.

#include "ReplyText.h"
#include "SimProcess.h"
#include "sim/SimErrorQueue.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using namespace std::chrono_literals;
using namespace simtest;

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
        const std::string first = sim_->NextLine();
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
        {"--tcp", "65536"},
        {"--tcp", "-1"},
        {"--tcp", "x"},
        {"--tcp"},
        {"--tcp", "0-10"},
        {"--tcp", "10-9"},
        {"--tcp", "1-65536"},
        {"--tcp", "5-"},
        {"--gpib", "--gpib-address", "31"},
        {"--gpib-address", "12"},
        {"--gpib=yes"},
        {},
    };
    for (const auto& args : wrong) {
        SimProcess sim(args);
        ASSERT_TRUE(sim.Started());
        EXPECT_NE(sim.Errors().find("tundrix-sim: "), std::string::npos);
        EXPECT_EQ(sim.NextLine(), "") << "printed a device anyway";
        ASSERT_TRUE(sim.WaitExit(5s));
        EXPECT_TRUE(WIFEXITED(sim.Status()) && WEXITSTATUS(sim.Status()) == 2);
    }

    SimProcess help({"--help"});
    const std::string text = help.AllOutput();
    EXPECT_EQ(text.rfind("Usage: tundrix-sim [--pty] [--tcp PORT] [--gpib [--gpib-address N]]", 0),
              0u);
    // The help tells the error a missing input or loop queues, exactly as "SYST:ERR?" says it.
    EXPECT_NE(text.find(std::to_string(SimErrorSuffixOutOfRange) + "," +
                        SimErrorText(SimErrorSuffixOutOfRange) + "\n"),
              std::string::npos);
    ASSERT_TRUE(help.WaitExit(5s));
    EXPECT_TRUE(WIFEXITED(help.Status()) && WEXITSTATUS(help.Status()) == 0);
}

} // namespace
