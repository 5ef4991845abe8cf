// The twelve queries of the utility's channel monitors, sent exactly as the
// utility sends them, against every model of the family.

#include "ReplyText.h"
#include "sim/SimController.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

struct MonitorQuery {
    const char* query;
    const char* name; // the power-on name the reply ends with
    bool channel;     // value;unit;name, else value;name
};

const MonitorQuery Monitors[12] = {
    {"INP A:TEMP?;UNIT?;NAME?;", "Input A", true}, {"INP B:TEMP?;UNIT?;NAME?;", "Input B", true},
    {"INP C:TEMP?;UNIT?;NAME?;", "Input C", true}, {"INP D:TEMP?;UNIT?;NAME?;", "Input D", true},
    {"INP E:TEMP?;UNIT?;NAME?;", "Input E", true}, {"INP F:TEMP?;UNIT?;NAME?;", "Input F", true},
    {"INP G:TEMP?;UNIT?;NAME?;", "Input G", true}, {"INP H:TEMP?;UNIT?;NAME?;", "Input H", true},
    {"LOOP 1:HTRR?NAME?;", "Heater 1", false},     {"LOOP 2:HTRR?NAME?;", "Heater 2", false},
    {"LOOP 3:OUTP?NAME?;", "Analog 1", false},     {"LOOP 4:OUTP?NAME?;", "Analog 2", false},
};

// Which monitors each model offers in the utility's View menu: A..H, heater
// 1, heater 2, analog 1, analog 2.
struct Offer {
    int code;
    std::vector<bool> monitors;
};
const Offer Family[] = {
    {27, {1, 1, 1, 1, 0, 0, 0, 0, 1, 1, 1, 0}}, {28, {1, 1, 1, 1, 0, 0, 0, 0, 1, 1, 1, 1}},
    {29, {1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0}}, {30, {1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0}},
    {31, {1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}}, {32, {1, 1, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1}},
    {33, {1, 1, 1, 1, 0, 0, 0, 0, 1, 1, 1, 0}}, {34, {1, 1, 1, 1, 0, 0, 0, 0, 1, 1, 1, 1}},
    {35, {1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0}},
};

} // namespace

TEST(SimMonitorQueries, EveryModelAnswersTheMonitorsItOffersWithValuesThatMove) {
    for (const Offer& offer : Family) {
        SCOPED_TRACE(offer.code);
        double now = 500.0;
        CSimController controller(*SimModel::Find(offer.code), [&now] { return now; });
        for (int i = 0; i < 12; ++i) {
            const MonitorQuery& monitor = Monitors[i];
            SCOPED_TRACE(monitor.query);
            if (!offer.monitors[static_cast<std::size_t>(i)]) {
                // Not answered at all; each query of the line is in error.
                EXPECT_FALSE(controller.Execute(monitor.query).has_value());
                for (int query = 0; query < (monitor.channel ? 3 : 2); ++query)
                    EXPECT_EQ("-114,Header suffix out of range", controller.Execute("SYST:ERR?"));
                continue;
            }
            // Ten minutes of readings, one every five seconds.
            std::set<std::string> values;
            for (now = 500.0; now <= 1100.0; now += 5.0) {
                const std::optional<std::string> reply = controller.Execute(monitor.query);
                ASSERT_TRUE(reply.has_value());
                const std::vector<std::string> fields = Fields(*reply, ';');
                ASSERT_EQ(monitor.channel ? 3u : 2u, fields.size()) << *reply;
                const double value = std::stod(fields[0]);
                if (monitor.channel) {
                    EXPECT_TRUE(LooksLikeFixed(fields[0], 4)) << fields[0];
                    EXPECT_GT(value, 0.0);
                    EXPECT_EQ("K", fields[1]);
                } else {
                    EXPECT_TRUE(LooksLikeFixed(fields[0], i < 10 ? 1 : 2)) << fields[0];
                    EXPECT_GT(value, 0.0);
                    EXPECT_LT(value, 100.0);
                }
                EXPECT_EQ(monitor.name, fields.back());
                values.insert(fields[0]);
            }
            EXPECT_GE(values.size(), 20u) << "the value hardly moves";
        }
        EXPECT_EQ("0,No error", controller.Execute("SYST:ERR?"));
    }
}
