#include <gtest/gtest.h>

#include <ctime>

#include "base/ProposedFileName.h"

namespace {

TEST(ProposedFileName, MakesASafeNameFromWhatTheContentIsCalled) {
    const struct {
        const char* text;
        const char* extension;
        const char* name;
    } cases[] = {
        {"D6015", "crv", "D6015.crv"},
        {"  X124 ", ".crv", "X124.crv"},
        {"PT-100 a/b", "crv", "PT-100 a_b.crv"},
        {"C:\\curves\\x?*", "crv", "C__curves_x__.crv"},
        {"line\nbreak\t", "pid", "line_break_.pid"},
        {"<\"|>", "csv", "____.csv"},
        {"Table 3", "", "Table 3"},
        {"", "crv", ""},
        {"   ", "crv", ""},
        {"..", "crv", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.name, ProposedFileName(c.text, c.extension)) << '"' << c.text << '"';
}

TEST(ProposedFileName, TimestampedNamesSortByTheLocalTime) {
    std::tm local{};
    local.tm_year = 2024 - 1900;
    local.tm_mon = 4; // May
    local.tm_mday = 1;
    local.tm_hour = 14;
    local.tm_min = 32;
    local.tm_sec = 10;
    local.tm_isdst = -1;
    const std::time_t when = std::mktime(&local);
    EXPECT_EQ("DataLog_20240501_143210.csv", TimestampedFileName("DataLog", "csv", when));
    EXPECT_EQ("DataLog_20240501_143211.csv", TimestampedFileName("DataLog", ".csv", when + 1));
}

} // namespace
