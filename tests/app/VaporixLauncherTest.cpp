#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "app/VaporixLauncher.h"
#include "calc/TitleChannel.h"
#include "support/TempDir.h"
#include "support/TestUi.h"

extern char** environ;

namespace {

template <typename Done> bool WaitFor(Done done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return done();
}

// An ended process waiting to be reaped by whoever adopted it counts as ended.
bool IsAlive(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const auto state = line.rfind(") ");
    return state != std::string::npos && line[state + 2] != 'Z' && line[state + 2] != 'X';
}

// The calculators running in this test's runtime folder, by the process
// numbers in the names they answer to.
std::vector<pid_t> Calculators() {
    std::vector<pid_t> pids;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(CTitleChannel::Folder(), ec))
        if (entry.path().filename().string().rfind("Vaporix.", 0) == 0)
            pids.push_back(pid_t(std::stol(entry.path().extension().string().substr(1))));
    return pids;
}

// The real calculator, in private runtime and configuration folders; whatever
// a failed test leaves running is ended.
class Launch : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("XDG_RUNTIME_DIR", runtime_.Path().c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", config_.Path().c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    void TearDown() override {
        for (pid_t pid : Calculators())
            if (pid != ::getpid())
                ::kill(pid, SIGKILL);
    }

    TempDir runtime_;
    TempDir config_;
    TestUi ui_;
};

} // namespace

TEST_F(Launch, PressingTheButtonTwiceStartsTheCalculatorAndThenClosesIt) {
    EXPECT_EQ(VaporixLaunch::Started, LaunchVaporix(ui_));
    ASSERT_TRUE(WaitFor([] { return CTitleChannel::IsOpen(VaporixTitle); }));
    const std::vector<pid_t> started = Calculators();
    ASSERT_EQ(1u, started.size());
    EXPECT_EQ(16u, std::filesystem::file_size(config_.File("Arktronic/Vaporix.dat")));

    EXPECT_EQ(VaporixLaunch::Closed, LaunchVaporix(ui_));
    EXPECT_TRUE(WaitFor([&] { return !IsAlive(started[0]); }));
    EXPECT_FALSE(CTitleChannel::IsOpen(VaporixTitle));
    EXPECT_TRUE(ui_.Boxes().empty());
    // The utility keeps no link: the calculator never was its child.
    EXPECT_EQ(-1, ::waitpid(started[0], nullptr, WNOHANG));
    EXPECT_EQ(ECHILD, errno);
}

TEST_F(Launch, TwoCalculatorsAreIndependentAndEachRequestClosesOne) {
    std::vector<pid_t> children(2, -1);
    char* argv[] = {const_cast<char*>(VAPORIX_PROGRAM), nullptr};
    for (pid_t& pid : children)
        ASSERT_EQ(0, ::posix_spawn(&pid, VAPORIX_PROGRAM, nullptr, nullptr, argv, environ));
    ASSERT_TRUE(WaitFor([] { return Calculators().size() == 2; }));

    int status = -1;
    auto ended = [&] {
        for (pid_t& pid : children)
            if (pid > 0 && ::waitpid(pid, &status, WNOHANG) == pid)
                pid = -1;
        return std::count(children.begin(), children.end(), -1);
    };
    EXPECT_EQ(VaporixLaunch::Closed, LaunchVaporix(ui_));
    EXPECT_TRUE(WaitFor([&] { return ended() == 1; }));
    EXPECT_EQ(0, status) << "ended as Exit ends it";
    EXPECT_TRUE(CTitleChannel::IsOpen(VaporixTitle)) << "the other one is still found";
    EXPECT_EQ(VaporixLaunch::Closed, LaunchVaporix(ui_));
    EXPECT_TRUE(WaitFor([&] { return ended() == 2; }));
}

TEST_F(Launch, StartFailuresAreShownAndCancelClosesOnlyQuillmere) {
    EXPECT_EQ(VaporixLaunch::NotFound, LaunchVaporix(ui_, "vaporix-nowhere"));
    // On PATH, but nothing the system can run.
    TempDir bin;
    std::ofstream(bin.File("vaporix-broken")) << "not a program\n";
    std::filesystem::permissions(bin.File("vaporix-broken"), std::filesystem::perms::owner_all);
    const std::string path = std::getenv("PATH");
    ::setenv("PATH", bin.Path().c_str(), 1);
    EXPECT_EQ(VaporixLaunch::NotStarted, LaunchVaporix(ui_, "vaporix-broken"));
    ::setenv("PATH", path.c_str(), 1);

    ASSERT_EQ(2u, ui_.Boxes().size());
    EXPECT_EQ("Cannot find Vaporix", ui_.Boxes()[0].text);
    EXPECT_EQ("Cannot launch Vaporix", ui_.Boxes()[1].text);
    EXPECT_EQ(MessageIcon::Stop, ui_.Boxes()[0].icon);
    EXPECT_EQ(MessageIcon::Stop, ui_.Boxes()[1].icon);

    CTitleChannel quillmere, calculator;
    ASSERT_TRUE(quillmere.Listen(QuillmereTitle));
    ASSERT_TRUE(calculator.Listen(VaporixTitle));
    EXPECT_TRUE(CloseQuillmere());
    EXPECT_TRUE(quillmere.TakeCloseRequest());
    EXPECT_FALSE(calculator.TakeCloseRequest());
}
