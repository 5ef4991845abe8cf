#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <unistd.h>

#include "base/BusyWait.h"
#include "base/TransactionMutex.h"
#include "base/UserInterface.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Counts what a wait asks of it. A wait run from inside it must not pump again.
class CountingPump : public IEventPump {
public:
    void ProcessEvents() override {
        ++calls;
        if (ActiveWaitPump() != nullptr)
            ++pumpedFromInside;
        if (inside)
            inside();
    }
    void WaitStarted() override { ++started; }
    void WaitEnded() override { ++ended; }

    int calls = 0;
    int started = 0;
    int ended = 0;
    int pumpedFromInside = 0;
    std::function<void()> inside;
};

// Installs the pump for the test's thread and takes it away again.
class PumpedThread : public ::testing::Test {
protected:
    void SetUp() override { previous_ = InstallWaitPump(&pump_); }
    void TearDown() override { InstallWaitPump(previous_); }

    CountingPump pump_;
    IEventPump* previous_ = nullptr;
};

class Pipe {
public:
    Pipe() { EXPECT_EQ(0, ::pipe(fds_)); }
    ~Pipe() {
        ::close(fds_[0]);
        ::close(fds_[1]);
    }
    pollfd Readable() const { return {fds_[0], POLLIN, 0}; }
    void Write() const { EXPECT_EQ(1, ::write(fds_[1], "x", 1)); }

private:
    int fds_[2] = {-1, -1};
};

TEST_F(PumpedThread, ASilentPollPumpsUntilItsTimeOutAndTellsThePumpOnce) {
    Pipe pipe;
    pollfd p = pipe.Readable();
    const auto start = Clock::now();
    EXPECT_EQ(0, PollPumped(&p, 1, 300));
    EXPECT_GE(Clock::now() - start, 300ms);
    // Slices of 10 ms: far more than a handful, even on a busy machine.
    EXPECT_GE(pump_.calls, 5);
    EXPECT_EQ(1, pump_.started);
    EXPECT_EQ(1, pump_.ended);
}

TEST_F(PumpedThread, APollReturnsAsSoonAsTheDescriptorIsReady) {
    Pipe pipe;
    pollfd p = pipe.Readable();
    std::thread writer([&pipe] {
        std::this_thread::sleep_for(100ms);
        pipe.Write();
    });
    const auto start = Clock::now();
    EXPECT_EQ(1, PollPumped(&p, 1, 5000));
    EXPECT_LT(Clock::now() - start, 4s);
    EXPECT_TRUE(p.revents & POLLIN);
    writer.join();
    EXPECT_GE(pump_.calls, 1);
}

TEST_F(PumpedThread, ShortWaitsAndThreadsWithoutAPumpDoNotPump) {
    Pipe pipe;
    pollfd p = pipe.Readable();
    EXPECT_EQ(0, PollPumped(&p, 1, static_cast<int>(WaitPumpSlice.count())));
    SleepPumped(WaitPumpSlice);
    EXPECT_EQ(0, pump_.calls);
    EXPECT_EQ(0, pump_.started);

    std::thread other([&pipe] {
        pollfd q = pipe.Readable();
        EXPECT_EQ(nullptr, ActiveWaitPump());
        EXPECT_EQ(0, PollPumped(&q, 1, 100));
        SleepPumped(50ms);
    });
    other.join();
    EXPECT_EQ(0, pump_.calls);
}

TEST_F(PumpedThread, AWaitInsideThePumpIsAPlainWait) {
    Pipe pipe;
    pump_.inside = [&pipe] {
        pollfd q = pipe.Readable();
        PollPumped(&q, 1, 30);
    };
    SleepPumped(100ms);
    EXPECT_GE(pump_.calls, 1);
    EXPECT_EQ(0, pump_.pumpedFromInside);
    EXPECT_EQ(1, pump_.started) << "the inner wait did not tell the pump";
}

TEST_F(PumpedThread, SleepLetsTheTimePassWhilePumping) {
    const auto start = Clock::now();
    SleepPumped(200ms);
    EXPECT_GE(Clock::now() - start, 200ms);
    EXPECT_GE(pump_.calls, 3);
    EXPECT_EQ(1, pump_.ended);
}

TEST_F(PumpedThread, ABlockingCallRunsElsewhereWhileThisThreadPumps) {
    std::thread::id ranOn;
    RunPumped([&ranOn] {
        ranOn = std::this_thread::get_id();
        std::this_thread::sleep_for(150ms);
    });
    EXPECT_NE(std::this_thread::get_id(), ranOn);
    EXPECT_GE(pump_.calls, 2);
    EXPECT_EQ(1, pump_.started);
    EXPECT_EQ(1, pump_.ended);

    // Without a pump the call runs right here.
    InstallWaitPump(nullptr);
    RunPumped([&ranOn] { ranOn = std::this_thread::get_id(); });
    EXPECT_EQ(std::this_thread::get_id(), ranOn);
}

TEST_F(PumpedThread, TheTransactionMutexWaitPumps) {
    CTransactionMutex mutex;
    std::atomic<bool> held{false};
    std::thread holder([&] {
        std::lock_guard lock(mutex);
        held = true;
        std::this_thread::sleep_for(300ms);
    });
    while (!held)
        std::this_thread::yield();

    std::unique_lock lock(mutex, std::defer_lock);
    ASSERT_TRUE(lock.try_lock_for(TransactionLockWait));
    EXPECT_GE(pump_.calls, 3);
    EXPECT_EQ(1, pump_.ended);
    lock.unlock();
    holder.join();

    // Held for longer than the wait: it gives up at its time-out, still pumping.
    std::mutex release;
    release.lock();
    std::thread keeper([&] {
        std::lock_guard owned(mutex);
        held = true;
        std::lock_guard until(release);
    });
    held = false;
    for (int i = 0; i < 1000 && !held; ++i)
        std::this_thread::sleep_for(1ms);
    const int before = pump_.calls;
    const auto start = Clock::now();
    EXPECT_FALSE(lock.try_lock_for(150ms));
    EXPECT_GE(Clock::now() - start, 150ms);
    EXPECT_GE(pump_.calls - before, 3);
    release.unlock();
    keeper.join();
}

} // namespace
