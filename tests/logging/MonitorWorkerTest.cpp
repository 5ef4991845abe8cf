#include <gtest/gtest.h>

#include "logging/MonitorWorker.h"

using namespace std::chrono_literals;

TEST(MonitorReply, ChannelsCarryValueUnitAndNameOutputsValueAndName) {
    auto channel = ParseMonitorReply("12.345;K;Cold stage", true);
    EXPECT_EQ("12.345", channel.value);
    EXPECT_EQ("K", channel.unit);
    EXPECT_EQ("Cold stage", channel.name);

    auto heater = ParseMonitorReply("45.0;Heater", false);
    EXPECT_EQ("45.0", heater.value);
    EXPECT_EQ("%", heater.unit);
    EXPECT_EQ("Heater", heater.name);

    auto bare = ParseMonitorReply("no separators", true);
    EXPECT_EQ("", bare.value);
    EXPECT_EQ("", bare.unit);
    EXPECT_EQ("no separators", bare.name);

    auto empty = ParseMonitorReply("", false);
    EXPECT_EQ("", empty.value);
    EXPECT_EQ("%", empty.unit);
}

TEST(MonitorReply, TheIntervalIsSharedAmongTheOpenMonitors) {
    EXPECT_EQ(30000ms, MonitorSlotWait(30.0, 1));
    EXPECT_EQ(15000ms, MonitorSlotWait(30.0, 2));
    EXPECT_EQ(30000ms, MonitorSlotWait(30.0, 0));
    EXPECT_EQ(333ms, MonitorSlotWait(1.0, 3));
}
