// The simulated GPIB library against the real simulator, loaded with dlopen as
// the utility loads a GPIB library, and called through its C exports only.

#include "ReplyText.h"
#include "base/SimulatorProcess.h"
#include "sim/GpibSocketProtocol.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The values every GPIB user library defines.
constexpr int Err = 0x8000;
constexpr int Timo = 0x4000;
constexpr int End = 0x2000;
constexpr int Cmpl = 0x100;
constexpr int Edvr = 0;
constexpr int Enol = 2;
constexpr int Earg = 4;
constexpr int Eabo = 6;
constexpr int T100ms = 9;
constexpr int T1s = 11;

// The library's exports, resolved by name.
struct GpibExports {
    void* handle = nullptr;
    int (*ibdev)(int, int, int, int, int, int) = nullptr;
    int (*ibwrt)(int, const void*, long) = nullptr;
    int (*ibrd)(int, void*, long) = nullptr;
    int (*ibclr)(int) = nullptr;
    int (*ibonl)(int, int) = nullptr;
    int (*threadIbsta)() = nullptr;
    int (*threadIberr)() = nullptr;
    long (*threadIbcntl)() = nullptr;
    int* ibsta = nullptr;
    int* iberr = nullptr;
    int* ibcnt = nullptr;
    long* ibcntl = nullptr;

    template <typename T> void Resolve(T& target, const char* name) {
        target = reinterpret_cast<T>(::dlsym(handle, name));
    }
    bool Load() {
        handle = ::dlopen(TUNDRIX_GPIB_SIM_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) {
            return false;
        }
        Resolve(ibdev, "ibdev");
        Resolve(ibwrt, "ibwrt");
        Resolve(ibrd, "ibrd");
        Resolve(ibclr, "ibclr");
        Resolve(ibonl, "ibonl");
        Resolve(threadIbsta, "ThreadIbsta");
        Resolve(threadIberr, "ThreadIberr");
        Resolve(threadIbcntl, "ThreadIbcntl");
        Resolve(ibsta, "ibsta");
        Resolve(iberr, "iberr");
        Resolve(ibcnt, "ibcnt");
        Resolve(ibcntl, "ibcntl");
        return ibdev && ibwrt && ibrd && ibclr && ibonl && threadIbsta && threadIberr &&
               threadIbcntl && ibsta && iberr && ibcnt && ibcntl;
    }
};

class GpibLibraryTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        gpib_ = new GpibExports;
        loaded_ = gpib_->Load();
        sim_ = new CSimulatorProcess;
        started_ = sim_->Start(TUNDRIX_SIM_PROGRAM, {"--gpib"}, {"gpib"});
    }
    static void TearDownTestSuite() {
        delete sim_;
        if (gpib_->handle != nullptr) {
            ::dlclose(gpib_->handle);
        }
        delete gpib_;
    }
    void SetUp() override {
        ASSERT_TRUE(loaded_) << ::dlerror();
        ASSERT_TRUE(started_) << sim_->Error();
        ::setenv("TUNDRIX_SIM_GPIB", sim_->Address("gpib").c_str(), 1);
    }
    void TearDown() override {
        for (const int ud : opened_) {
            gpib_->ibonl(ud, 0);
        }
        ::unsetenv("TUNDRIX_SIM_GPIB");
    }

    // The calling thread's status, checked against the process-wide copies.
    int Status() {
        const int status = gpib_->threadIbsta();
        EXPECT_EQ(*gpib_->ibsta, status);
        EXPECT_EQ(*gpib_->ibcntl, gpib_->threadIbcntl());
        EXPECT_EQ(*gpib_->ibcnt, static_cast<int>(gpib_->threadIbcntl()));
        if ((status & Err) != 0) {
            EXPECT_EQ(*gpib_->iberr, gpib_->threadIberr());
        }
        return status;
    }
    int Open(int pad, int timeout, int eot = 1) {
        const int ud = gpib_->ibdev(0, pad, 0, timeout, eot, 0);
        EXPECT_GT(ud, 0);
        EXPECT_EQ(Status() & Err, 0);
        if (ud > 0) {
            opened_.push_back(ud);
        }
        return ud;
    }
    int Write(int ud, const std::string& text) {
        gpib_->ibwrt(ud, text.data(), static_cast<long>(text.size()));
        return Status();
    }
    std::string Read(int ud, long count, int& status) {
        std::vector<char> buffer(static_cast<std::size_t>(count) + 16, '#');
        gpib_->ibrd(ud, buffer.data(), count);
        status = Status();
        const long got = gpib_->threadIbcntl();
        EXPECT_GE(got, 0);
        EXPECT_LE(got, count);
        EXPECT_EQ(buffer[static_cast<std::size_t>(count)], '#') << "wrote past count";
        return std::string(buffer.data(), static_cast<std::size_t>(std::clamp(got, 0L, count)));
    }
    // A read that must time out; how long it took.
    Clock::duration ReadTimesOut(int ud) {
        const Clock::time_point start = Clock::now();
        int status = 0;
        EXPECT_EQ(Read(ud, 100, status), "");
        const Clock::duration took = Clock::now() - start;
        EXPECT_EQ(status & (Err | Timo), Err | Timo);
        EXPECT_EQ(gpib_->threadIberr(), Eabo);
        return took;
    }

    static GpibExports* gpib_;
    static bool loaded_;
    static CSimulatorProcess* sim_;
    static bool started_;
    std::vector<int> opened_;
};

GpibExports* GpibLibraryTest::gpib_ = nullptr;
bool GpibLibraryTest::loaded_ = false;
CSimulatorProcess* GpibLibraryTest::sim_ = nullptr;
bool GpibLibraryTest::started_ = false;

TEST_F(GpibLibraryTest, ALongReplyComesInPiecesEndsWithEndThenTheReadTimesOut) {
    const int ud = Open(12, T1s);
    // No terminator: EOI on the last byte ends each line.
    EXPECT_EQ(Write(ud, "INP A:NAME ColdheadStage01"), Cmpl);
    EXPECT_EQ(gpib_->threadIbcntl(), 26);
    EXPECT_EQ(Write(ud, "INP B:NAME RadiationShield"), Cmpl);
    EXPECT_EQ(Write(ud, "*IDN?;*IDN?;*IDN?;*IDN?;*IDN?;*IDN?;*IDN?;:INP A:NAME?;:INP B:NAME?"),
              Cmpl);

    std::string reply;
    for (const long expected : {100L, 100L, 50L}) {
        int status = 0;
        const std::string piece = Read(ud, 100, status);
        EXPECT_EQ(static_cast<long>(piece.size()), expected);
        EXPECT_EQ(status & Err, 0);
        EXPECT_EQ((status & End) != 0, expected == 50) << "END only with the reply's last byte";
        reply += piece;
    }
    std::string expected;
    for (int i = 0; i < 7; ++i) {
        expected += Identity + ";";
    }
    expected += "ColdheadStage01;RadiationShield\r\n";
    ASSERT_EQ(expected.size(), 250u);
    EXPECT_EQ(reply, expected);

    const Clock::duration took = ReadTimesOut(ud);
    EXPECT_GE(took, 950ms);
    EXPECT_LT(took, 1800ms);
}

TEST_F(GpibLibraryTest, ADeviceClearDropsUnreadOutputAndAPartLine) {
    // T100ms keeps the time-outs short, and shows the time-out codes are honoured.
    const int ud = Open(12, T100ms);
    ASSERT_EQ(Write(ud, "*IDN?"), Cmpl);
    int status = 0;
    EXPECT_EQ(Read(ud, 10, status), "ARKTRONIC,");
    gpib_->ibclr(ud);
    EXPECT_EQ(Status(), Cmpl);
    const Clock::duration took = ReadTimesOut(ud);
    EXPECT_GE(took, 90ms);
    EXPECT_LT(took, 800ms);

    // Without EOI a write leaves its line open; the clear forgets it.
    const int noEoi = Open(12, T100ms, 0);
    ASSERT_EQ(Write(noEoi, "*IDN?"), Cmpl);
    ReadTimesOut(noEoi);
    gpib_->ibclr(noEoi);
    ASSERT_EQ(Status(), Cmpl);
    ASSERT_EQ(Write(ud, "SYST:ERR?"), Cmpl);
    EXPECT_EQ(Read(ud, 100, status), "0,No error\r\n");
    EXPECT_EQ(status, Cmpl | End);
}

TEST_F(GpibLibraryTest, AnAbsentDeviceHasNoListenerAndAFreedDescriptorIsInvalid) {
    // The device need not be there to get a descriptor.
    const int ud = Open(5, T100ms);
    gpib_->ibclr(ud);
    EXPECT_EQ(Status() & Err, Err);
    EXPECT_EQ(gpib_->threadIberr(), Enol);
    EXPECT_EQ(Write(ud, "*IDN?") & Err, Err);
    EXPECT_EQ(gpib_->threadIberr(), Enol);
    EXPECT_EQ(gpib_->threadIbcntl(), 0);
    ReadTimesOut(ud);

    gpib_->ibonl(ud, 0);
    EXPECT_EQ(Status() & Err, 0);
    opened_.clear();
    EXPECT_EQ(Write(ud, "*IDN?") & Err, Err);
    EXPECT_EQ(gpib_->threadIberr(), Edvr);
    EXPECT_EQ(gpib_->threadIbcntl(), EBADF);
    gpib_->ibonl(ud, 0);
    EXPECT_EQ(Status() & Err, Err);
    EXPECT_EQ(gpib_->threadIberr(), Edvr);
}

TEST_F(GpibLibraryTest, WithoutAServerOrWithWrongArgumentsIbdevFails) {
    auto expectFailure = [&](int board, int pad, int sad, int timeout, int error, long count) {
        EXPECT_EQ(gpib_->ibdev(board, pad, sad, timeout, 1, 0), -1);
        EXPECT_EQ(Status() & Err, Err);
        EXPECT_EQ(gpib_->threadIberr(), error);
        EXPECT_EQ(gpib_->threadIbcntl(), count);
    };
    expectFailure(1, 12, 0, T1s, Edvr, ENODEV);
    expectFailure(0, 31, 0, T1s, Earg, 0);
    expectFailure(0, 12, 5, T1s, Earg, 0);
    expectFailure(0, 12, 0, 18, Earg, 0);

    ::unsetenv("TUNDRIX_SIM_GPIB");
    expectFailure(0, 12, 0, T1s, Edvr, ENOENT);
    ::setenv("TUNDRIX_SIM_GPIB", "/nonexistent/tundrix/gpib", 1);
    expectFailure(0, 12, 0, T1s, Edvr, ENOENT);

    // A socket that nobody listens on.
    TempDir dir;
    const std::string path = dir.File("gpib");
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ::setenv("TUNDRIX_SIM_GPIB", path.c_str(), 1);
    expectFailure(0, 12, 0, T1s, Edvr, ECONNREFUSED);
    ::close(fd);
}

TEST_F(GpibLibraryTest, EachThreadSeesItsOwnStatusAndWaitsDoNotBlockOtherDescriptors) {
    const int absent = Open(5, T1s);
    const int present = Open(12, T1s);
    std::atomic<int> waiterStatus{0};
    const Clock::time_point start = Clock::now();
    std::thread waiter([&] {
        char buffer[100];
        gpib_->ibrd(absent, buffer, sizeof buffer);
        waiterStatus = gpib_->threadIbsta();
    });
    // While the other thread runs, only this thread's own status is looked at:
    // the process-wide copies are the other thread's to change.
    std::this_thread::sleep_for(100ms);
    const std::string query = "*IDN?";
    EXPECT_EQ(gpib_->ibwrt(present, query.data(), static_cast<long>(query.size())) & Err, 0);
    char buffer[100];
    gpib_->ibrd(present, buffer, sizeof buffer);
    EXPECT_EQ(gpib_->threadIbsta(), Cmpl | End);
    EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(gpib_->threadIbcntl())),
              Identity + "\r\n");
    EXPECT_LT(Clock::now() - start, 700ms) << "one descriptor's wait held up another";
    waiter.join();
    EXPECT_GE(Clock::now() - start, 950ms);

    EXPECT_EQ(waiterStatus & (Err | Timo), Err | Timo);
    EXPECT_EQ(gpib_->threadIbsta(), Cmpl | End);
    EXPECT_EQ(*gpib_->ibsta & (Err | Timo), Err | Timo)
        << "the process-wide status is the last call's";
}

TEST_F(GpibLibraryTest, ASimulatorThatGoesAwayFailsWithASystemError) {
    CSimulatorProcess other;
    ASSERT_TRUE(other.Start(TUNDRIX_SIM_PROGRAM, {"--gpib", "--gpib-address", "7"}, {"gpib"}))
        << other.Error();
    ::setenv("TUNDRIX_SIM_GPIB", other.Address("gpib").c_str(), 1);
    const int usual = Open(12, T1s);
    gpib_->ibclr(usual);
    EXPECT_EQ(gpib_->threadIberr(), Enol) << "the device answered at the wrong address";
    const int ud = Open(7, T1s);
    ASSERT_EQ(Write(ud, "*IDN?"), Cmpl);
    other.Stop();

    // Neither a hang nor SIGPIPE: the descriptor fails until it is freed.
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(Write(ud, "*IDN?") & Err, Err);
        EXPECT_EQ(gpib_->threadIberr(), Edvr);
        EXPECT_NE(gpib_->threadIbcntl(), 0);
    }
    EXPECT_LT(Clock::now() - start, 500ms);
    gpib_->ibonl(ud, 0);
    EXPECT_EQ(Status() & Err, 0);
    opened_.pop_back();
}

TEST_F(GpibLibraryTest, ABrokenRequestEndsOnlyItsOwnConnection) {
    const std::string path = sim_->Address("gpib");
    auto sendAndExpectClose = [&](const GpibWire::Request& request) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        ASSERT_EQ(::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        ASSERT_EQ(::send(fd, &request, sizeof request, MSG_NOSIGNAL),
                  static_cast<ssize_t>(sizeof request));
        pollfd entry{fd, POLLIN, 0};
        ASSERT_EQ(::poll(&entry, 1, 2000), 1);
        char byte = 0;
        EXPECT_EQ(::recv(fd, &byte, 1, 0), 0) << "the simulator answered a broken request";
        ::close(fd);
    };
    sendAndExpectClose({99, 12, 0, 0, 0});
    sendAndExpectClose({GpibWire::Write, 12, 0, 0, GpibWire::MaxData + 1});
    sendAndExpectClose({GpibWire::Read, 12, GpibWire::MaxData + 1, 1000, 0});

    const int ud = Open(12, T1s);
    ASSERT_EQ(Write(ud, "*IDN?"), Cmpl);
    int status = 0;
    EXPECT_EQ(Read(ud, 100, status), Identity + "\r\n");
}

} // namespace
