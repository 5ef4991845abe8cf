// The faults the simulator injects on request: how a FAULT is read, what each
// does to a reply, and the program's own word for them.

#include "sim/SimFaults.h"
#include "SimProcess.h"
#include "sim/SimController.h"
#include "sim/SimGpibDevice.h"
#include "sim/SimModel.h"

#include <gtest/gtest.h>

#include <fcntl.h>

namespace {

using namespace std::chrono_literals;
using namespace simtest;
using Ms = std::chrono::milliseconds;

SimFaultRule Rule(const std::string& text) {
    std::string error;
    auto rule = ParseSimFault(text, error);
    EXPECT_TRUE(rule) << text << ": " << error;
    return rule.value_or(SimFaultRule{});
}

// The bytes of an outcome, joined.
std::string Bytes(const CSimFaults::Outcome& out) {
    std::string all;
    for (const auto& piece : out.pieces)
        all += piece.bytes;
    return all;
}

const std::string Reply = "ARKTRONIC,TX-28\r\n";

} // namespace

TEST(SimFaultRules, EveryDocumentedFaultIsReadAndAnyOtherRefusedWithTheReason) {
    struct Good {
        const char* text;
        SimFaultKind kind;
        int every, milliseconds, commands;
    };
    for (Good g : {Good{"no-reply", SimFaultKind::NoReply, 1, 0, 0},
                   {"no-reply:3", SimFaultKind::NoReply, 3, 0, 0},
                   {"late:1500", SimFaultKind::Late, 1, 1500, 0},
                   {"late:200:2", SimFaultKind::Late, 2, 200, 0},
                   {"twice", SimFaultKind::Twice, 1, 0, 0},
                   {"corrupt:4", SimFaultKind::Corrupt, 4, 0, 0},
                   {"cut", SimFaultKind::Cut, 1, 0, 0},
                   {"trickle:100", SimFaultKind::Trickle, 1, 100, 0},
                   {"stream:2", SimFaultKind::Stream, 2, 0, 0},
                   {"hangup:0", SimFaultKind::HangUp, 1, 0, 0},
                   {"hangup:5", SimFaultKind::HangUp, 1, 0, 5},
                   {"nul", SimFaultKind::Nul, 1, 0, 0}}) {
        SimFaultRule rule = Rule(g.text);
        EXPECT_EQ(g.kind, rule.kind) << g.text;
        EXPECT_EQ(g.every, rule.every) << g.text;
        EXPECT_EQ(g.milliseconds, rule.milliseconds) << g.text;
        EXPECT_EQ(g.commands, rule.commands) << g.text;
    }
    EXPECT_EQ(3, Rule("late:200@3").only);
    EXPECT_EQ(200, Rule("late:200@3").milliseconds);
    struct Bad {
        const char* text;
        const char* error;
    };
    for (Bad b : {Bad{"slow", "unknown fault 'slow'"},
                  {"late", "'late': late needs milliseconds from 1 to 60000, late:MS[:N]"},
                  {"late:0", "'late:0': late needs milliseconds from 1 to 60000, late:MS[:N]"},
                  {"trickle:x", "'trickle:x': trickle needs milliseconds from 1 to 60000, "
                                "trickle:MS[:N]"},
                  {"hangup", "'hangup': hangup needs a number of commands, hangup:N"},
                  {"twice:0", "'twice:0': N must be a number of queries from 1 to 1000000"},
                  {"cut:1:2", "'cut:1:2': N must be a number of queries from 1 to 1000000"},
                  {"cut@0", "'cut@0': K must be a query from 1 to 1000000, FAULT@K"},
                  {"hangup:2@1", "'hangup:2': hangup:N is at its command already; no @K"}}) {
        std::string error;
        EXPECT_FALSE(ParseSimFault(b.text, error)) << b.text;
        EXPECT_EQ(b.error, error);
    }
}

TEST(SimFaultShapes, EachFaultChangesTheReplyAsDocumented) {
    CSimFaults none;
    EXPECT_EQ(Reply, Bytes(none.Shape(Reply)));

    CSimFaults dropEverySecond({Rule("no-reply:2")});
    EXPECT_EQ(Reply, Bytes(dropEverySecond.Shape(Reply)));
    EXPECT_EQ("", Bytes(dropEverySecond.Shape(std::nullopt))); // a command: no query counted
    EXPECT_EQ("", Bytes(dropEverySecond.Shape(Reply)));
    EXPECT_EQ(Reply, Bytes(dropEverySecond.Shape(Reply)));

    CSimFaults onlySecond({Rule("no-reply@2")});
    for (const char* expected : {Reply.c_str(), "", Reply.c_str(), Reply.c_str()})
        EXPECT_EQ(expected, Bytes(onlySecond.Shape(Reply)));

    CSimFaults twice({Rule("twice")});
    EXPECT_EQ(Reply + Reply, Bytes(twice.Shape(Reply)));

    // "ARKTRONIC,TX-28" has 15 characters: the middle one is the 8th, "I".
    CSimFaults corrupt({Rule("corrupt")});
    EXPECT_EQ("ARKTRON#C,TX-28\r\n", Bytes(corrupt.Shape(Reply)));
    CSimFaults cut({Rule("cut")});
    EXPECT_EQ("ARKTRON", Bytes(cut.Shape(Reply)));
    CSimFaults nul({Rule("nul")});
    EXPECT_EQ(std::string("ARKTRON\0IC,TX-28\r\n", 18), Bytes(nul.Shape(Reply)));
    // Its middle between a CR and its LF: the NUL goes before the CR.
    CSimFaults nulBeforeLineEnd({Rule("nul")});
    EXPECT_EQ(std::string("1\0\r\n23\r\n", 8),
              Bytes(nulBeforeLineEnd.Shape(std::string("1\r\n23\r\n"))));

    CSimFaults late({Rule("late:700")});
    auto delayed = late.Shape(Reply);
    ASSERT_EQ(1u, delayed.pieces.size());
    EXPECT_EQ(Ms(700), delayed.pieces[0].delay);
    EXPECT_TRUE(delayed.pieces[0].survivesClear);

    CSimFaults trickle({Rule("trickle:50")});
    auto bytes = trickle.Shape("12\r\n");
    ASSERT_EQ(4u, bytes.pieces.size());
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(1u, bytes.pieces[i].bytes.size());
        EXPECT_EQ(Ms(50 * static_cast<int>(i)), bytes.pieces[i].delay);
        EXPECT_EQ(i == 3, bytes.pieces[i].endsMessage);
    }

    CSimFaults stream({Rule("stream:2")});
    EXPECT_FALSE(stream.Shape(Reply).startStream);
    auto streaming = stream.Shape(Reply);
    EXPECT_TRUE(streaming.startStream);
    EXPECT_TRUE(streaming.pieces.empty());
    std::size_t position = 0;
    const std::string flood = CSimFaults::StreamBytes(60, position);
    EXPECT_EQ(std::string::npos, flood.find_first_of("\r\n"));
    EXPECT_EQ("ABCDEFGHIJKLMNOPQRSTUVWXYZABCD", flood.substr(0, 30));
}

TEST(SimFaultShapes, HangUpCountsEveryCommandAndTheLineStaysGone) {
    CSimFaults atOnce({Rule("hangup:0")});
    EXPECT_TRUE(atOnce.GoneAtStart());
    EXPECT_FALSE(atOnce.Serves());

    CSimFaults afterTwo({Rule("hangup:2")});
    EXPECT_TRUE(afterTwo.Serves());
    EXPECT_FALSE(afterTwo.Shape(std::nullopt).hangUpAfter);
    auto second = afterTwo.Shape(Reply);
    EXPECT_TRUE(second.hangUpAfter);
    EXPECT_EQ(Reply, Bytes(second)); // its reply still goes out
    EXPECT_FALSE(afterTwo.Serves());
}

TEST(SimFaultGpib, ALateReplySurvivesADeviceClearAndAHangUpStopsListening) {
    double now = 0.0;
    CSimController controller(*SimModel::Find(28), [&now] { return now; });
    CSimGpibDevice device(controller, 12);
    device.SetFaults({Rule("late:500"), Rule("hangup:2")});
    const auto start = CSimGpibDevice::Clock::now();
    ASSERT_TRUE(device.Listens(12 + 0));
    device.Write("INP A:NAME?", true, start);
    device.Clear(); // the reader's time-out
    device.Advance(start + 600ms);
    ASSERT_TRUE(device.HasOutput());
    bool end = false;
    EXPECT_EQ("Input A\r\n", device.Read(100, end));
    EXPECT_TRUE(end);

    EXPECT_TRUE(device.Listens(12));
    device.Write("*CLS", true, start + 700ms);
    // Two commands served: the next message finds no listener.
    EXPECT_FALSE(device.Listens(12));
}

TEST(SimFaultProgram, TheHelpNamesEveryFaultAndABadOneIsAUsageError) {
    {
        SimProcess help({"--help"});
        const std::string text = help.AllOutput();
        for (const char* name :
             {"--fault FAULT", "no-reply[:N]", "late:MS[:N]", "twice[:N]", "corrupt[:N]", "cut[:N]",
              "trickle:MS[:N]", "stream[:N]", "hangup:N", "nul[:N]", "FAULT@K"})
            EXPECT_NE(std::string::npos, text.find(name)) << name;
    }
    SimProcess bad({"--pty", "--fault", "slow"});
    EXPECT_EQ(0u, bad.Errors().find("tundrix-sim: --fault unknown fault 'slow'\n"));
    ASSERT_TRUE(bad.WaitExit(5s));
    EXPECT_EQ(2, WEXITSTATUS(bad.Status()));
}

TEST(SimFaultProgram, OnThePseudoTerminalATrickledReplyComesByteByByteThenTheLineHangsUp) {
    SimProcess sim({"--pty", "--fault", "trickle:40", "--fault", "hangup:1"});
    const std::string line = sim.NextLine();
    ASSERT_EQ(0u, line.find("pty: /dev/pts/")) << line;
    const int fd = ::open(line.substr(5).c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    const auto sent = Clock::now();
    ASSERT_EQ(12, ::write(fd, "INP A:NAME?\n", 12));
    std::string reply;
    ASSERT_TRUE(ReadUntil(fd, reply, "\r\n", 3s)) << reply;
    EXPECT_EQ("Input A\r\n", reply);
    // Nine bytes, 40 ms apart.
    EXPECT_GE(Clock::now() - sent, 300ms);
    // Then the line goes: reading finds it hung up at once.
    std::string after;
    EXPECT_FALSE(ReadUntil(fd, after, "\n", 3s));
    char byte;
    EXPECT_LE(::read(fd, &byte, 1), 0);
    ::close(fd);
}
