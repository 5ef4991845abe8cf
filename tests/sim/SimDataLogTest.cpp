#include "sim/SimController.h"

#include <gtest/gtest.h>

#include <optional>
#include <regex>
#include <string>

namespace {

// A controller of model 31 (inputs A and B) on a clock the test moves.
class SimDataLogTest : public ::testing::Test {
protected:
    std::string Ask(const std::string& line) {
        const std::optional<std::string> reply = controller_.Execute(line);
        EXPECT_TRUE(reply.has_value()) << "no reply to " << line;
        return reply.value_or("");
    }
    int Count() { return std::stoi(Ask("DLog:Count?")); }

    double now_ = 1000.0;
    CSimController controller_{*SimModel::Find(31), [this] { return now_; }};
};

} // namespace

TEST_F(SimDataLogTest, RecordsOnceASecondWhileOnFromThePowerOn) {
    EXPECT_EQ("on", Ask("DLog:State?"));
    EXPECT_EQ(1, Count());
    now_ = 1002.5;
    EXPECT_EQ(3, Count());
    EXPECT_FALSE(controller_.Execute("DLog:State off").has_value());
    now_ = 1010.0;
    EXPECT_EQ("off", Ask("dlog:state?"));
    EXPECT_EQ(3, Count());
    // Switched on again, it records from that moment.
    controller_.Execute("DLOG:STATE ON");
    EXPECT_EQ(4, Count());
    now_ = 1011.9;
    EXPECT_EQ(5, Count());
    EXPECT_EQ("0,No error", Ask("SYST:ERR?"));
}

TEST_F(SimDataLogTest, ReadAnswersFourHeaderLinesARecordALineAndTheEnd) {
    now_ = 1001.0;
    controller_.Execute("DLog:State 0");
    now_ = 1005.0;
    const std::string table = Ask("DLog:Read?");
    const std::string number = "[0-9]+\\.[0-9]{4}";
    EXPECT_TRUE(std::regex_match(table, std::regex("TX-31 Internal Data Log\r\n"
                                                   "Interval \\(s\\),1\r\n"
                                                   "Records,2\r\n"
                                                   "Record,Time \\(s\\),A \\(K\\),B \\(K\\)\r\n"
                                                   "1,1000\\.0," +
                                                   number + "," + number +
                                                   "\r\n"
                                                   "2,1001\\.0," +
                                                   number + "," + number + "\r\n;")))
        << table;
}

TEST_F(SimDataLogTest, AFullLogStopsRecording) {
    now_ = 1000.0 + 10 * CSimDataLog::Capacity;
    EXPECT_EQ(CSimDataLog::Capacity, Count());
    now_ += 100.0;
    EXPECT_EQ(CSimDataLog::Capacity, Count());
    EXPECT_LT(Ask("DLog:Read?").size(), std::size_t{64} * 1024);
}

TEST_F(SimDataLogTest, AStateOtherThanOnOrOffIsRefused) {
    for (const char* line : {"DLog:State maybe", "DLog:State", "DLog:Count? 3"})
        EXPECT_FALSE(controller_.Execute(line).has_value()) << line;
    EXPECT_EQ("-224,Illegal parameter value", Ask("SYST:ERR?"));
    EXPECT_EQ("-109,Missing parameter", Ask("SYST:ERR?"));
    EXPECT_EQ("-108,Parameter not allowed", Ask("SYST:ERR?"));
    EXPECT_EQ("on", Ask("DLog:State?"));
}
