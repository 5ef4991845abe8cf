// The simulator's TCP port end to end: the real program, reached through real
// loopback connections as the utility's LAN connection reaches an instrument.

#include "ReplyText.h"
#include "SimProcess.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using namespace std::chrono_literals;
using namespace simtest;

const std::string IdentityLine = "ARKTRONIC,TX-28,SN280417,1.4.2\r\n";

class TcpClient {
public:
    explicit TcpClient(int port) : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (fd_ >= 0 &&
            ::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            Close();
        }
    }
    ~TcpClient() { Close(); }
    TcpClient(const TcpClient&) = delete;
    TcpClient& operator=(const TcpClient&) = delete;

    bool Connected() const { return fd_ >= 0; }
    int Fd() const { return fd_; }
    bool Send(const std::string& bytes) {
        return ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
               static_cast<ssize_t>(bytes.size());
    }
    // The bytes of one reply, "\r\n" included; "" when none came in time.
    std::string Reply(std::chrono::milliseconds wait = 3s) {
        std::string text;
        return ReadUntil(fd_, text, "\r\n", wait) ? text : "";
    }
    std::string Query(const std::string& line) { return Send(line + "\n") ? Reply() : ""; }
    void Close() {
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }

private:
    int fd_;
};

class TcpServerTest : public ::testing::Test {
protected:
    // Starts the simulator and reads its "tcp:" announcement, which must be the first line.
    void Start(const std::vector<std::string>& args) {
        sim_ = std::make_unique<SimProcess>(args);
        ASSERT_TRUE(sim_->Started());
        ReadTcpLine();
    }
    void ReadTcpLine() {
        const std::string line = sim_->NextLine();
        const std::string prefix = "tcp: 127.0.0.1:";
        ASSERT_TRUE(line.starts_with(prefix) && AllDigits(line.substr(prefix.size())))
            << "announced: " << line;
        port_ = std::stoi(line.substr(prefix.size()));
        ASSERT_GT(port_, 0);
    }
    void ExpectCleanExitOn(int signal) {
        sim_->Signal(signal);
        ASSERT_TRUE(sim_->WaitExit(5s));
        EXPECT_TRUE(WIFEXITED(sim_->Status()) && WEXITSTATUS(sim_->Status()) == 0)
            << sim_->Status();
    }

    std::unique_ptr<SimProcess> sim_;
    int port_ = 0;
};

TEST_F(TcpServerTest, AnswersEachLineWithCrLfLikeThePseudoTerminal) {
    Start({"--tcp", "0"});
    TcpClient client(port_);
    ASSERT_TRUE(client.Connected());
    EXPECT_EQ(client.Query("*IDN?"), IdentityLine);
    // A CR before the LF is dropped; a setting is not answered, so the next
    // bytes on the connection belong to the query after it.
    ASSERT_TRUE(client.Send("INP B:NAME Coldplate\r\n"));
    EXPECT_TRUE(StaysQuiet(client.Fd(), 200ms));
    EXPECT_EQ(client.Query("INP B:NAME?;UNIT?\r"), "Coldplate;K\r\n");
}

TEST_F(TcpServerTest, ClientsAtOnceKeepTheirOwnLinesAndShareOneController) {
    Start({"--tcp", "0"});
    TcpClient first(port_);
    TcpClient second(port_);
    ASSERT_TRUE(first.Connected() && second.Connected());

    // Half a line on one connection is not completed by a line on another.
    ASSERT_TRUE(first.Send("*ID"));
    EXPECT_EQ(second.Query("INP A:UNIT?"), "K\r\n");
    ASSERT_TRUE(first.Send("N?\n"));
    EXPECT_EQ(first.Reply(), IdentityLine);

    ASSERT_TRUE(first.Send("INP C:NAME Shared\n"));
    EXPECT_EQ(second.Query("INP C:NAME?"), "Shared\r\n");

    std::vector<std::unique_ptr<TcpClient>> many;
    for (int i = 0; i < 40; ++i) {
        many.push_back(std::make_unique<TcpClient>(port_));
        ASSERT_TRUE(many.back()->Connected()) << i;
        ASSERT_TRUE(many.back()->Send("INP C:NAME?;:*IDN?\n"));
    }
    for (auto& client : many) {
        EXPECT_EQ(client->Reply(), "Shared;" + IdentityLine);
    }
}

TEST_F(TcpServerTest, ClientsThatGoAwayMidReplyAreDroppedAndTheOthersServed) {
    Start({"--tcp", "0", "--reply-delay", "300"});
    {
        // Gone before its reply is due.
        TcpClient early(port_);
        ASSERT_TRUE(early.Send("*IDN?\n"));
    }
    {
        // Gone with far more replies pending than it ever read.
        TcpClient flood(port_);
        std::string burst;
        for (int i = 0; i < 500; ++i) {
            burst += "INP A:TEMP?;UNIT?;NAME?;:*IDN?\n";
        }
        ASSERT_TRUE(flood.Send(burst));
        std::this_thread::sleep_for(400ms);
    }
    // One that only closed its sending side still gets its reply, then the end of the stream.
    TcpClient halfClosed(port_);
    ASSERT_TRUE(halfClosed.Send("*IDN?\n"));
    ASSERT_EQ(::shutdown(halfClosed.Fd(), SHUT_WR), 0);
    std::string rest;
    const Clock::time_point sent = Clock::now();
    EXPECT_FALSE(ReadUntil(halfClosed.Fd(), rest, "never", 3s));
    EXPECT_LT(Clock::now() - sent, 2s) << "the server kept the connection open";
    EXPECT_EQ(rest, IdentityLine);

    TcpClient later(port_);
    EXPECT_EQ(later.Query("*IDN?"), IdentityLine);
    ExpectCleanExitOn(SIGTERM);
}

TEST_F(TcpServerTest, APortInUseEndsTheProgramWithStatusOne) {
    Start({"--tcp", "0"});
    SimProcess second({"--tcp", std::to_string(port_)});
    ASSERT_TRUE(second.WaitExit(5s));
    EXPECT_TRUE(WIFEXITED(second.Status()) && WEXITSTATUS(second.Status()) == 1);
    EXPECT_EQ(
        second.Errors().rfind(
            "tundrix-sim: cannot listen on TCP: 127.0.0.1:" + std::to_string(port_) + ": ", 0),
        0u);
    EXPECT_EQ(second.AllOutput(), "");
}

TEST_F(TcpServerTest, ARangeTakesAFreePortWithinIt) {
    Start({"--tcp", "4000-4999"});
    EXPECT_GE(port_, 4000);
    EXPECT_LE(port_, 4999);
    TcpClient client(port_);
    EXPECT_EQ(client.Query("*IDN?"), IdentityLine);

    // A range whose one port is taken leaves nothing free.
    SimProcess second({"--tcp", std::to_string(port_) + "-" + std::to_string(port_)});
    ASSERT_TRUE(second.WaitExit(5s));
    EXPECT_TRUE(WIFEXITED(second.Status()) && WEXITSTATUS(second.Status()) == 1);
    EXPECT_EQ(second.Errors(), "tundrix-sim: cannot listen on TCP: 127.0.0.1: no free port from " +
                                   std::to_string(port_) + " to " + std::to_string(port_) + "\n");

    // Two ports, one taken: the other.
    const int low = port_ > 4000 ? port_ - 1 : port_;
    SimProcess third({"--tcp", std::to_string(low) + "-" + std::to_string(low + 1)});
    const std::string line = third.NextLine();
    const int other = low == port_ ? low + 1 : low;
    EXPECT_EQ(line, "tcp: 127.0.0.1:" + std::to_string(other));
}

TEST_F(TcpServerTest, AllTransportsAnnounceInOrderAndReachOneController) {
    TempDir runtime;
    ASSERT_FALSE(runtime.Path().empty());
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string savedValue = saved ? saved : "";
    ::setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
    sim_ = std::make_unique<SimProcess>(std::vector<std::string>{"--gpib", "--tcp", "0", "--pty"});
    if (saved) {
        ::setenv("XDG_RUNTIME_DIR", savedValue.c_str(), 1);
    } else {
        ::unsetenv("XDG_RUNTIME_DIR");
    }
    ASSERT_TRUE(sim_->Started());

    const std::string pty = sim_->NextLine();
    ASSERT_TRUE(pty.starts_with("pty: /dev/pts/")) << pty;
    ReadTcpLine();
    const std::string gpib = sim_->NextLine();
    const std::string prefix = "gpib: " + runtime.Path() + "/";
    ASSERT_TRUE(gpib.starts_with(prefix)) << gpib;
    const std::string socketPath = gpib.substr(6);
    const std::string folder = socketPath.substr(0, socketPath.rfind('/'));
    struct stat info {};
    ASSERT_EQ(::stat(socketPath.c_str(), &info), 0) << socketPath;
    EXPECT_TRUE(S_ISSOCK(info.st_mode));
    ASSERT_EQ(::stat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u) << "the socket's folder is not private";

    TcpClient client(port_);
    // The query after the setting makes sure the setting was carried out.
    ASSERT_EQ(client.Query("INP D:NAME Viatcp;NAME?"), "Viatcp\r\n");
    int device = ::open(pty.substr(5).c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(device, 0);
    const std::string query = "INP D:NAME?\n";
    ASSERT_EQ(::write(device, query.data(), query.size()), static_cast<ssize_t>(query.size()));
    std::string reply;
    EXPECT_TRUE(ReadUntil(device, reply, "\r\n", 3s));
    EXPECT_EQ(reply, "Viatcp\r\n");
    ::close(device);

    ExpectCleanExitOn(SIGTERM);
    EXPECT_EQ(sim_->AllOutput(), "") << "standard output holds more than the announcements";
    EXPECT_NE(::stat(socketPath.c_str(), &info), 0) << "socket left behind";
    EXPECT_NE(::stat(folder.c_str(), &info), 0) << "folder left behind";
}

} // namespace
