// User curves and PID tables of the simulated controller, table replies over
// GPIB, and the pacing of a serial line.

#include "ReplyText.h"
#include "SimProcess.h"
#include "sim/SimController.h"
#include "sim/SimGpibDevice.h"
#include "sim/SimLinePacer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <optional>
#include <string>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace std::chrono_literals;

class SimTables : public ::testing::Test {
protected:
    CSimController& Make(int code) {
        controller_.emplace(*SimModel::Find(code), [] { return 50.0; });
        return *controller_;
    }
    std::string Ask(const std::string& line) {
        const std::optional<std::string> reply = controller_->Execute(line);
        EXPECT_TRUE(reply.has_value()) << "no reply to " << line;
        return reply.value_or("");
    }
    void Send(const std::vector<std::string>& lines) {
        for (const std::string& line : lines)
            EXPECT_FALSE(controller_->Execute(line).has_value()) << line;
    }
    std::string NextError() { return Ask("SYST:ERR?"); }

    std::optional<CSimController> controller_;
};

TEST_F(SimTables, UserCurvesStoreExactlyWhatWasSentAndDescribeThemselves) {
    Make(28);
    EXPECT_EQ(Ask("SENSORIX? 61"), "User Curve 1,None,0");
    EXPECT_EQ(Ask("SENSORIX? 68"), "User Curve 8,None,0");
    EXPECT_EQ(Ask("CALC? 3"), "User Curve 3\r\nNone\r\n1.000000\r\nVolts\r\n;");

    // Lines that look like commands are the curve's while it is written.
    Send({"CALC 3", "*IDN?", "Diode", "1.000000", "Volts", "0.100000     475.000000", "  1.5,4.2 ",
          ";"});
    EXPECT_EQ(Ask("CALC? 3"),
              "*IDN?\r\nDiode\r\n1.000000\r\nVolts\r\n0.100000     475.000000\r\n  1.5,4.2 \r\n;");
    EXPECT_EQ(Ask("SENSORIX? 63"), "*IDN?,Diode,2");
    EXPECT_EQ(Ask("SENSORIX 63:NENTRY?"), "2");
    EXPECT_EQ(NextError(), "0,No error");
    // After ";" lines are commands again.
    EXPECT_EQ(Ask("SENSORIX? 62"), "User Curve 2,None,0");
}

TEST_F(SimTables, CurvesOutsideTheUserRangeOrOverfullAreRefused) {
    Make(30);
    EXPECT_FALSE(controller_->Execute("SENSORIX? 60").has_value());
    EXPECT_EQ(NextError(), "-224,Illegal parameter value");
    EXPECT_FALSE(controller_->Execute("SENSORIX 69:NENTRY?").has_value());
    EXPECT_EQ(NextError(), "-114,Header suffix out of range");
    Send({"CALC 9"});
    EXPECT_EQ(NextError(), "-224,Illegal parameter value");

    // A table of fewer than four header lines is not taken.
    Send({"CALC 1", "Name", "Diode", ";"});
    EXPECT_EQ(NextError(), "-224,Illegal parameter value");
    EXPECT_EQ(Ask("SENSORIX? 61"), "User Curve 1,None,0");

    // 200 entries fit; the 201st abandons the curve, the old one stays.
    std::vector<std::string> lines = {"CALC 2", "Full", "Diode", "1.000000", "Volts"};
    for (int i = 0; i < 200; ++i)
        lines.push_back(std::to_string(i) + ".000000     1.000000");
    lines.push_back(";");
    Send(lines);
    EXPECT_EQ(Ask("SENSORIX? 62"), "Full,Diode,200");
    lines[1] = "Too full";
    lines.back() = "201.000000     1.000000";
    Send(lines);
    EXPECT_EQ(NextError(), "-224,Illegal parameter value");
    EXPECT_EQ(Ask("SENSORIX? 62"), "Full,Diode,200");
}

TEST_F(SimTables, PidTablesOfHeaterModels) {
    Make(28);
    EXPECT_EQ(Ask("PIDT 1:NENT?"), "4");
    EXPECT_EQ(Fields(Ask("PIDT 6:TABLE?"), '\n').front(), "PID Table 6\r");
    Send({"PIDT 2:table", "Stage two", "10 20 30 0 Low", "", ";"});
    EXPECT_EQ(Ask("PIDT 2:TABLE?"), "Stage two\r\n10 20 30 0 Low\r\n\r\n;");
    EXPECT_EQ(Ask("PIDT 2:NENT?"), "2");

    std::vector<std::string> lines = {"PIDT 3:table", "Too many"};
    for (int i = 0; i < 17; ++i)
        lines.push_back("10 20 30 0 Low");
    Send(lines);
    EXPECT_EQ(NextError(), "-224,Illegal parameter value");
    EXPECT_EQ(Ask("PIDT 3:NENT?"), "4");
    EXPECT_FALSE(controller_->Execute("PIDT 7:NENT?").has_value());
    EXPECT_EQ(NextError(), "-114,Header suffix out of range");

    // A model without heater loops has no PID tables.
    Make(29);
    EXPECT_FALSE(controller_->Execute("PIDT 1:NENT?").has_value());
    EXPECT_EQ(NextError(), "-113,Undefined header");
}

TEST_F(SimTables, OverGpibATableIsOneMessagePerLine) {
    CSimController& controller = Make(28);
    CSimGpibDevice device(controller, 12);
    const auto now = CSimGpibDevice::Clock::now();
    device.Write("PIDT 1:TABLE?", true, now);
    std::vector<std::string> messages;
    while (device.HasOutput()) {
        bool end = false;
        messages.push_back(device.Read(100, end));
        EXPECT_TRUE(end) << messages.back();
    }
    EXPECT_EQ(messages, (std::vector<std::string>{"PID Table 1", "20.000 40.000 25.000 0.000 Low",
                                                  "50.000 60.000 30.000 0.000 Med",
                                                  "150.000 80.000 40.000 0.000 High",
                                                  "400.000 100.000 50.000 0.000 High", ";"}));
    // Any other reply is one message with its line end.
    device.Write("SENSORIX? 61", true, now);
    bool end = false;
    EXPECT_EQ(device.Read(100, end), "User Curve 1,None,0\r\n");
    EXPECT_FALSE(device.HasOutput());
}

TEST(SimLinePacer, BytesGoOnlyAsFastAsTheLineCarriesThem) {
    using PacerClock = CSimLinePacer::Clock;
    const PacerClock::time_point start{};
    CSimLinePacer unpaced;
    EXPECT_EQ(unpaced.Allowance(start), CSimLinePacer::Unlimited);

    // 9600 baud: a byte every 1.0417 ms.
    CSimLinePacer line(9600);
    EXPECT_EQ(line.Allowance(start), 0u);
    EXPECT_EQ(line.NextByte(), start + 1041667ns);
    EXPECT_EQ(line.Allowance(start + 10ms), 9u);
    line.Sent(9, 9);
    EXPECT_EQ(line.Allowance(start + 10ms), 0u);
    // Back to back: a late wake-up does not lose the time that passed.
    EXPECT_EQ(line.Allowance(start + 1s), 960u - 9u);
    line.Sent(100, 951);
    // The bytes ran out: the next ones start a new burst when they come.
    EXPECT_EQ(line.Allowance(start + 5s), 0u);
    EXPECT_EQ(line.Allowance(start + 5s + 2ms), 1u);
}

// The simulator program on a paced pseudo-terminal.
TEST(SimLineRate, APacedPseudoTerminalTakesTheLinesTimeBothWays) {
    simtest::SimProcess sim({"--pty", "--line-rate", "9600"});
    ASSERT_TRUE(sim.Started());
    const std::string announced = sim.NextLine();
    ASSERT_EQ(announced.rfind("pty: ", 0), 0u) << announced;
    const int fd = ::open(announced.substr(5).c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    termios raw{};
    ::tcgetattr(fd, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(fd, TCSANOW, &raw);

    // 4 + 40 lines of 24 bytes and a query: over 1000 bytes out, about 500 back.
    std::string lines = "CALC 4\nPaced\nDiode\n1.000000\nVolts\n";
    for (int i = 0; i < 40; ++i)
        lines += "0.100000     475.000000\n";
    lines += ";\nCALC? 4\n";
    const auto start = simtest::Clock::now();
    ASSERT_EQ(::write(fd, lines.data(), lines.size()), static_cast<ssize_t>(lines.size()));
    std::string reply;
    ASSERT_TRUE(simtest::ReadUntil(fd, reply, ";\r\n", 10s)) << reply;
    const auto took = simtest::Clock::now() - start;
    ::close(fd);
    const std::size_t bytes = lines.size() + reply.size();
    EXPECT_EQ(reply.size(), 7u + 7 + 10 + 7 + 40 * 25 + 3);
    const auto lineTime = std::chrono::microseconds(bytes * 10 * 1'000'000 / 9600);
    EXPECT_GE(took, lineTime);
    EXPECT_LT(took, lineTime + 1500ms);
}

} // namespace
