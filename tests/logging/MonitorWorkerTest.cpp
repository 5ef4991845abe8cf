#include <gtest/gtest.h>

#include <vector>

#include "logging/MonitorTable.h"
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

TEST(MonitorReply, AWaitIsAtLeastAMillisecondAndAnIntervalAtMostTheSetupsBound) {
    EXPECT_EQ(8ms, MonitorSlotWait(0.1, 12));
    EXPECT_EQ(1ms, MonitorSlotWait(0.0, 1));
    EXPECT_EQ(1ms, MonitorSlotWait(-5.0, 1));
    EXPECT_EQ(120000000ms, MonitorSlotWait(1e300, 1));
    EXPECT_EQ(10000000ms, MonitorSlotWait(120000.0, 12));
}

namespace {

// The indexes the rotation queries in `slots` slots, in order.
std::vector<int> Queried(CMonitorRotation& rotation, const CMonitorFlags& flags, int slots) {
    std::vector<int> queried;
    for (int i = 0; i < slots; ++i)
        if (int index = rotation.Next(flags); index >= 0)
            queried.push_back(index);
    return queried;
}

} // namespace

TEST(MonitorRotation, EveryOpenMonitorComesRoundOnceInTwelveSlotsStartingAtIndexOne) {
    CMonitorFlags flags;
    CMonitorRotation none;
    EXPECT_EQ(std::vector<int>{}, Queried(none, flags, 36));
    EXPECT_EQ(0, OpenMonitorCount(flags));

    flags.Set(0, 1);
    CMonitorRotation one;
    // Index 0 is the twelfth slot's.
    EXPECT_EQ(std::vector<int>{}, Queried(one, flags, 11));
    EXPECT_EQ(std::vector<int>{0}, Queried(one, flags, 1));
    EXPECT_EQ((std::vector<int>{0, 0}), Queried(one, flags, 24));

    flags.Set(1, 1);
    EXPECT_EQ(2, OpenMonitorCount(flags));
    CMonitorRotation two;
    EXPECT_EQ(std::vector<int>{1}, Queried(two, flags, 1));
    EXPECT_EQ((std::vector<int>{0, 1, 0, 1}), Queried(two, flags, 24));
    EXPECT_EQ(1, two.Index());

    for (int i = 0; i < MonitorCount; ++i)
        flags.Set(i, 1);
    CMonitorRotation all;
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0, 1}), Queried(all, flags, 13));
}
