#include "sim/SimLineAssembler.h"
#include "sim/SimReplyQueue.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = CSimReplyQueue::Clock;

// What an assembler produced, in order; "!" stands for a dropped line.
struct Collected {
    std::vector<std::string> events;
    void Feed(CSimLineAssembler& lines, const std::string& bytes) {
        lines.Feed(
            bytes, [this](std::string_view line) { events.emplace_back(line); },
            [this] { events.emplace_back("!"); });
    }
};

TEST(SimLineAssemblerTest, CutsAtLineFeedAndDropsOneCarriageReturn) {
    CSimLineAssembler lines;
    Collected out;
    out.Feed(lines, "*IDN?\r\nINP A:");
    out.Feed(lines, "TEMP?\n\nA\rB\n\r\r\n");
    EXPECT_EQ(out.events, (std::vector<std::string>{"*IDN?", "INP A:TEMP?", "", "A\rB", "\r"}));
    EXPECT_EQ(lines.Buffered(), 0u);
}

TEST(SimLineAssemblerTest, LongLinesAreDroppedWholeWithBoundedMemory) {
    CSimLineAssembler lines;
    Collected out;
    const std::string full(CSimLineAssembler::MaxLine, 'x');
    out.Feed(lines, full + "\r\n");
    out.Feed(lines, full + "y\n");
    for (int i = 0; i < 50; ++i) {
        out.Feed(lines, std::string(1000, 'z'));
        EXPECT_LE(lines.Buffered(), CSimLineAssembler::MaxLine + 1);
    }
    out.Feed(lines, "\nSYST:ERR?\n");
    EXPECT_EQ(out.events, (std::vector<std::string>{full, "!", "!", "SYST:ERR?"}));
}

class SimReplyQueueTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(::pipe(pipe_), 0);
        ::fcntl(pipe_[1], F_SETFL, ::fcntl(pipe_[1], F_GETFL) | O_NONBLOCK);
        ::fcntl(pipe_[0], F_SETFL, ::fcntl(pipe_[0], F_GETFL) | O_NONBLOCK);
    }
    void TearDown() override {
        ::close(pipe_[0]);
        ::close(pipe_[1]);
    }
    std::string Drain() {
        std::string text;
        char buffer[65536];
        ssize_t count;
        while ((count = ::read(pipe_[0], buffer, sizeof buffer)) > 0) {
            text.append(buffer, static_cast<std::size_t>(count));
        }
        return text;
    }
    // Fills the pipe the way a client that never reads fills its side.
    void Fill() {
        const std::string block(4096, '.');
        while (::write(pipe_[1], block.data(), block.size()) > 0) {
        }
        ASSERT_EQ(errno, EAGAIN);
    }

    int pipe_[2] = {-1, -1};
    const Clock::time_point t0_ = Clock::now();
};

TEST_F(SimReplyQueueTest, DelayedReplyGoesOutWhenDueAndInOrder) {
    CSimReplyQueue queue(300ms);
    queue.Push("one\r\n", t0_);
    queue.Push("two\r\n", t0_ + 10ms);
    EXPECT_FALSE(queue.WantsWrite(t0_ + 299ms));
    EXPECT_EQ(queue.NextWakeup(t0_), t0_ + 300ms);
    EXPECT_EQ(queue.Flush(pipe_[1], t0_ + 299ms), 0);
    EXPECT_EQ(Drain(), "");

    EXPECT_TRUE(queue.WantsWrite(t0_ + 300ms));
    EXPECT_EQ(queue.Flush(pipe_[1], t0_ + 300ms), 0);
    EXPECT_EQ(Drain(), "one\r\n");
    EXPECT_EQ(queue.Flush(pipe_[1], t0_ + 310ms), 0);
    EXPECT_EQ(Drain(), "two\r\n");
    EXPECT_EQ(queue.PendingReplies(), 0u);
    EXPECT_FALSE(queue.NextWakeup(t0_ + 310ms).has_value());
}

TEST_F(SimReplyQueueTest, AClientThatDoesNotReadNeverBlocksAndLosesStaleReplies) {
    Fill();
    CSimReplyQueue queue(0ms, 5000ms);
    queue.Push("*IDN reply\r\n", t0_);

    const auto before = Clock::now();
    EXPECT_EQ(queue.Flush(pipe_[1], t0_), 0);
    EXPECT_LT(Clock::now() - before, 500ms);
    EXPECT_EQ(queue.PendingReplies(), 1u);
    EXPECT_EQ(queue.NextWakeup(t0_), t0_ + 5000ms);

    EXPECT_EQ(queue.Flush(pipe_[1], t0_ + 4999ms), 0);
    EXPECT_EQ(queue.PendingReplies(), 1u);
    EXPECT_EQ(queue.Flush(pipe_[1], t0_ + 5000ms), 0);
    EXPECT_EQ(queue.PendingReplies(), 0u);
    EXPECT_EQ(queue.DroppedReplies(), 1u);

    // Once the client reads again, new replies arrive whole.
    Drain();
    queue.Push("next\r\n", t0_ + 6000ms);
    EXPECT_EQ(queue.Flush(pipe_[1], t0_ + 6000ms), 0);
    EXPECT_EQ(Drain(), "next\r\n");
}

TEST_F(SimReplyQueueTest, QueueHoldsAtMostItsCapacity) {
    CSimReplyQueue queue(1000ms, 5000ms, 10);
    queue.Push("123456\r\n", t0_);
    queue.Push("abc\r\n", t0_);
    queue.Push("x\n", t0_);
    EXPECT_EQ(queue.PendingReplies(), 2u);
    EXPECT_EQ(queue.DroppedReplies(), 1u);
    queue.Flush(pipe_[1], t0_ + 1000ms);
    EXPECT_EQ(Drain(), "123456\r\nx\n");
}

} // namespace
