// The checks a reply passes before it becomes data, each over the replies a
// faulty line makes of a good one: a field lost, a byte changed to "#", a
// NUL, a table cut short or ended at once.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "comm/ReplyShapes.h"

namespace {

// A literal's bytes, NULs and all.
template <std::size_t N> std::string Bytes(const char (&text)[N]) {
    return std::string(text, N - 1);
}

TEST(ReplyShapes, AValueListHasAFieldPerQueryAndEachIsANumber) {
    const std::string batch = "LOOP 1:OUTP?;RANGE?;:LOOP 1:SETPT?;:INP A:TEMP?;";
    struct Case {
        std::string reply;
        std::string why; // "" when it fits
    };
    for (const Case& c : std::vector<Case>{
             {"45.20;2;77.350;+077.3412\r\n", ""},
             {" 45.20 ;2; 77.350;-1e-3\r\n", ""},
             {"45.20;2;77.350\r\n",
              "reply to \"" + batch + "\" had 3 values, 4 were asked for: \"45.20;2;77.350\""},
             {"45.20;277.350;77.3\r\n", "reply to \"" + batch +
                                            "\" had 3 values, 4 were asked "
                                            "for: \"45.20;277.350;77.3\""},
             {"45.20;2;77.3#0;77.3\r\n",
              "reply to \"" + batch + "\": value 3 is not a number: \"77.3#0\""},
             {Bytes("45.20;2;77\0.350;77.3\r\n"),
              "reply to \"" + batch + "\": value 3 is not a number: \"77?.350\""},
             {"45.20;2;;77.3\r\n", "reply to \"" + batch + "\": value 3 is not a number: \"\""},
             {"45.20;2;nan;77.3\r\n",
              "reply to \"" + batch + "\": value 3 is not a number: \"nan\""},
             {"\r\n", "reply to \"" + batch + "\" had 1 values, 4 were asked for: \"\""},
         })
        EXPECT_EQ(c.why, CheckValueList(batch, c.reply)) << c.reply;
}

TEST(ReplyShapes, CountsStatesAndUnitsAreTheInstrumentsOwn) {
    const std::vector<std::pair<std::string, std::optional<int>>> counts{
        {"200\r\n", 200}, {"0\r\n", 0},           {" 7 \r\n", 7},         {"2#0\r\n", std::nullopt},
        {"-3\r\n", {}},   {"12 entries\r\n", {}}, {"\r\n", std::nullopt}, {"99999999999\r\n", {}}};
    for (const auto& [reply, count] : counts)
        EXPECT_EQ(count, ParseCount(reply)) << reply;

    const std::vector<std::pair<std::string, std::optional<std::string>>> states{
        {"on\r\n", "on"}, {"OFF\r\n", "off"}, {"1\r\n", "on"}, {"0", "off"},
        {"o#\r\n", {}},   {"\r\n", {}},       {"onn\r\n", {}}};
    for (const auto& [reply, state] : states)
        EXPECT_EQ(state, ParseState(reply)) << reply;

    for (const char* unit : {"K", "C", "F", "S", "V", "mV", "Ohm"})
        EXPECT_TRUE(IsInstrumentUnit(unit)) << unit;
    for (const char* unit : {"#", "", "k ", "KK", "Kelvin"})
        EXPECT_FALSE(IsInstrumentUnit(unit)) << unit;
}

bool TwoNumbers(std::string_view line) {
    const auto blank = line.find(' ');
    return blank != std::string_view::npos && FieldNumber(line.substr(0, blank)) &&
           FieldNumber(line.substr(blank + 1));
}

TEST(ReplyShapes, ATableHasItsAnnouncedEntriesEachAnEntry) {
    const TableShape shape{2, TwoNumbers, "a pair of numbers"};
    struct Case {
        std::string table;
        int announced;
        std::string why;
    };
    const std::string of = "the table of \"CALC? 3\"";
    for (const Case& c : std::vector<Case>{
             // As RS232 and LAN deliver it, with its ";" line, and as GPIB does.
             {"Name\r\nVolts\r\n0.5 300\r\n1.0 77\r\n;\r\n", 2, ""},
             {"Name\nVolts\n0.5 300\n1.0 77\n", 2, ""},
             {"Name\r\nVolts\r\n;\r\n", 0, ""},
             {"Name\r\nVolts\r\n0.5 300\r\n;\r\n", 10,
              of + " had 1 entry, the instrument announced 10"},
             {";\r\n", 10, of + " had 0 entries, the instrument announced 10"},
             {"Name\r\nVolts\r\n0.5 300\r\n1.0 77\r\n1.1 70\r\n;\r\n", 2,
              of + " had 3 entries, the instrument announced 2"},
             {"Name\r\nVolts\r\n0.5 300\r\n1.0# 77\r\n;\r\n", 2,
              of + ": entry 2 is not a pair of numbers: \"1.0# 77\""},
             {Bytes("Name\r\nVolts\r\n0.5 300\r\n1.0\0 77\r\n;\r\n"), 2,
              of + " holds the control character 0x00"},
         }) {
        std::string why;
        const auto lines = CheckTable("CALC? 3", c.table, c.announced, shape, why);
        EXPECT_EQ(c.why, why) << c.table;
        EXPECT_EQ(c.why.empty(), lines.has_value()) << c.table;
    }
    std::string why;
    EXPECT_EQ((std::vector<std::string>{"Name", "Volts", "0.5 300"}),
              CheckTable("CALC? 3", "Name\r\nVolts\r\n0.5 300\r\n;\r\n", 1, shape, why));
}

} // namespace
