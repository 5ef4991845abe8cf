#include <gtest/gtest.h>

#include "comm/CommandLine.h"
#include "logging/MonitorUpdate.h"

TEST(MonitorUpdate, AUnitChangeClearsANameChangeOnlyRenames) {
    MonitorUpdate same = PlanMonitorUpdate("K", "Cold stage", {"12.345", "K", "Cold stage"});
    EXPECT_FALSE(same.clear);
    EXPECT_FALSE(same.retitle);
    EXPECT_FLOAT_EQ(12.345f, same.value);

    MonitorUpdate renamed = PlanMonitorUpdate("K", "Cold stage", {"4", "K", "Warm stage"});
    EXPECT_FALSE(renamed.clear);
    EXPECT_TRUE(renamed.retitle);

    MonitorUpdate newUnit = PlanMonitorUpdate("K", "Cold stage", {"-196", "C", "Cold stage"});
    EXPECT_TRUE(newUnit.clear);
    EXPECT_TRUE(newUnit.retitle);
    EXPECT_FLOAT_EQ(-196.0f, newUnit.value);

    // The first reading of a fresh window.
    MonitorUpdate first = PlanMonitorUpdate("", "", {"45.0", "%", "Heater\r\n"});
    EXPECT_TRUE(first.clear);
    EXPECT_TRUE(first.retitle);
    // Names compare as the instrument sent them, line end and all.
    EXPECT_TRUE(PlanMonitorUpdate("%", "Heater", {"45.0", "%", "Heater\r\n"}).retitle);
    EXPECT_FALSE(PlanMonitorUpdate("%", "Heater\r\n", {"45.0", "%", "Heater\r\n"}).retitle);
}

TEST(MonitorUpdate, ValuesReadAsDecimalNumbersUpToWhatCannotContinueThem) {
    struct Case {
        const char* text;
        float value;
    };
    const Case cases[] = {
        {"12.345", 12.345f}, {"  +7.5e1xyz", 75.0f},
        {"\t-0.5", -0.5f},   {".5", 0.5f},
        {"3.", 3.0f},        {"1e", 1.0f},
        {"77.3;K", 77.3f},   {"abc", 0.0f},
        {"", 0.0f},          {"-", 0.0f},
        {".", 0.0f},         {"inf", 0.0f},
        {"nan", 0.0f},       {"0x10", 0.0f},
        {"1e39", 0.0f},      {"-1e39", 0.0f},
        {"1e-60", 0.0f},
    };
    for (const Case& c : cases)
        EXPECT_FLOAT_EQ(c.value, MonitorValue(c.text)) << '"' << c.text << '"';
}

TEST(MonitorUpdate, TheLineEndIsNoPartOfWhatIsShown) {
    EXPECT_EQ("Cold stage", WithoutLineEnd("Cold stage\r\n"));
    EXPECT_EQ("Cold stage", WithoutLineEnd("Cold stage\n"));
    EXPECT_EQ("K", WithoutLineEnd("K"));
    EXPECT_EQ("", WithoutLineEnd("\r\n"));
    EXPECT_EQ("a\r\nb", WithoutLineEnd("a\r\nb\r\n"));
}
