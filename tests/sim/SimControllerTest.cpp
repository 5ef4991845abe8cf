#include "sim/SimController.h"
#include "ReplyText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

class SimControllerTest : public ::testing::Test {
protected:
    CSimController& Make(int code) {
        controller_.emplace(*SimModel::Find(code), [this] { return now_; });
        return *controller_;
    }
    std::string Ask(const std::string& line) {
        const std::optional<std::string> reply = controller_->Execute(line);
        EXPECT_TRUE(reply.has_value()) << "no reply to " << line;
        return reply.value_or("");
    }
    std::string NextError() { return Ask("SYST:ERR?"); }

    double now_ = 1000.0;
    std::optional<CSimController> controller_;
};

TEST_F(SimControllerTest, EveryModelIdentifiesItself) {
    for (const SimModel& model : SimModel::All()) {
        SCOPED_TRACE(model.code);
        Make(model.code);

        const std::vector<std::string> idn = Fields(Ask("*IDN?"), ',');
        ASSERT_EQ(idn.size(), 4u);
        EXPECT_EQ(idn[0], "ARKTRONIC");
        EXPECT_EQ(idn[1], "TX-" + std::to_string(model.code));
        EXPECT_FALSE(idn[2].empty());
        EXPECT_FALSE(idn[3].empty());

        // The utility accepts the reply only when all seven fields parse.
        const std::string idef = Ask("SYST:IDEF?");
        int code = 0, last = -1;
        unsigned long serial = 0;
        unsigned a = 0, b = 0, c = 0, inputs = 0;
        ASSERT_EQ(std::sscanf(idef.c_str(), "%d,%lu,%u,%u,%u,%u,%d", &code, &serial, &a, &b, &c,
                              &inputs, &last),
                  7)
            << idef;
        EXPECT_EQ(code, model.code);
        EXPECT_EQ(static_cast<int>(inputs), model.inputCount);
    }
    ASSERT_EQ(SimModel::All().size(), 9u);
    EXPECT_EQ(SimModel::All().front().code, 27);
    EXPECT_EQ(SimModel::All().back().code, 35);
    EXPECT_EQ(SimModel::Find(26), nullptr);
    EXPECT_EQ(SimModel::Find(36), nullptr);
}

TEST_F(SimControllerTest, ChainedQueriesFollowTheCurrentPath) {
    Make(28);
    // The monitor query of the utility: value, unit and name in one reply.
    const std::vector<std::string> monitor = Fields(Ask("INP A:TEMP?;UNIT?;NAME?;"), ';');
    ASSERT_EQ(monitor.size(), 3u);
    EXPECT_TRUE(LooksLikeReading(monitor[0])) << monitor[0];
    EXPECT_EQ(monitor[1], "K");
    EXPECT_EQ(monitor[2], "Input A");

    // A query followed at once by the next header, as the output monitors send it.
    EXPECT_EQ(Fields(Ask("INP B:TEMP?NAME?"), ';').back(), "Input B");

    // A common command neither uses nor moves the path.
    EXPECT_EQ(Ask("INP C:NAME?;*IDN?;UNIT?"), "Input C;ARKTRONIC,TX-28,SN280417,1.4.2;K");

    // The logging batch: every later query starts again from the root.
    const std::vector<std::string> batch =
        Fields(Ask("INP A:TEMP?;:INP B:TEMP?;:INP C:TEMP?;:INP D:TEMP?;"), ';');
    ASSERT_EQ(batch.size(), 4u);
    for (const std::string& value : batch) {
        EXPECT_TRUE(LooksLikeReading(value)) << value;
    }
    EXPECT_EQ(Ask("INP A:NAME?;UNITS?;"), "Input A;K");
    EXPECT_EQ(NextError(), "0,No error");
}

TEST_F(SimControllerTest, RelativeAndRootHeadersResolveLikeTheInstrument) {
    Make(28);
    // ":" goes back to the root, where "NAME?" means nothing.
    EXPECT_EQ(Ask("INP A:NAME?;:NAME?"), "Input A");
    EXPECT_EQ(NextError(), "-113,Undefined header");

    // Without ":" a second "INP" is looked for under "INP A".
    EXPECT_EQ(Ask("INP A:NAME?;INP B:NAME?"), "Input A");
    EXPECT_EQ(NextError(), "-113,Undefined header");

    // Each line starts at the root.
    EXPECT_FALSE(controller_->Execute("INP A:NAME?").value().empty());
    EXPECT_FALSE(controller_->Execute("NAME?").has_value());
    EXPECT_EQ(NextError(), "-113,Undefined header");

    EXPECT_EQ(Ask("SYST:ERR?;ERR?"), "0,No error;0,No error");
}

TEST_F(SimControllerTest, HeadersIgnoreCaseAndAcceptLongForms) {
    Make(30);
    EXPECT_EQ(Ask("*idn?;"), Ask("*IDN?"));
    EXPECT_EQ(Ask("syst:idef?"), Ask("SYSTEM:IDEF?"));
    EXPECT_EQ(Ask("inp d:unit?;Name?"), "K;Input D");
    EXPECT_EQ(Ask("INPUT d:TEMPERATURE?"), Ask("INP D:TEMP?"));
    EXPECT_EQ(NextError(), "0,No error");
}

TEST_F(SimControllerTest, SettingsChangeStateWithoutAReply) {
    Make(28);
    EXPECT_FALSE(controller_->Execute("INP B:NAME Cold stage").has_value());
    EXPECT_EQ(Ask("INP B:NAME?"), "Cold stage");
    EXPECT_EQ(Ask("INP B:NAME \"a;b\";NAME?"), "a;b");
    EXPECT_EQ(Ask("INP B:NAME Stage:1;NAME?"), "Stage:1");
    EXPECT_EQ(Ask("INP B:NAME A name far too long;NAME?"), "A name far too ");

    // Every unit reports the same temperature at the same moment.
    const double kelvin = std::stod(Ask("INP A:TEMP?"));
    EXPECT_NEAR(std::stod(Ask("INP A:UNIT C;TEMP?")), kelvin - 273.15, 1e-3);
    EXPECT_NEAR(std::stod(Ask("INP A:UNIT f;TEMP?")), (kelvin - 273.15) * 1.8 + 32.0, 1e-3);
    const double volts = std::stod(Ask("INP A:UNIT S;TEMP?"));
    EXPECT_GT(volts, 0.1);
    EXPECT_LT(volts, 1.6);
    EXPECT_EQ(Ask("INP A:UNIT?"), "S");

    EXPECT_FALSE(controller_->Execute("INP A:UNIT X").has_value());
    EXPECT_EQ(NextError(), "-224,Illegal parameter value");
    EXPECT_EQ(Ask("INP A:UNIT?"), "S");

    EXPECT_FALSE(controller_->Execute("*RST").has_value());
    EXPECT_EQ(Ask("INP A:UNIT?;:INP B:NAME?"), "K;Input B");
    EXPECT_EQ(NextError(), "0,No error");
}

TEST_F(SimControllerTest, FaultyCommandsGoToTheErrorQueueUnanswered) {
    Make(28);
    EXPECT_FALSE(controller_->Execute("FOO?").has_value());
    EXPECT_FALSE(controller_->Execute("?INP A:TEMP?").has_value());
    EXPECT_FALSE(controller_->Execute("*IDN? 5").has_value());
    EXPECT_FALSE(controller_->Execute("INP A:NAME").has_value());
    EXPECT_FALSE(controller_->Execute("*RST now").has_value());
    EXPECT_FALSE(controller_->Execute("*IDN").has_value());
    // A faulty query among good ones leaves out only its own answer.
    EXPECT_EQ(Ask("*IDN?;BAR?;:INP A:UNIT?"), "ARKTRONIC,TX-28,SN280417,1.4.2;K");

    EXPECT_EQ(NextError(), "-113,Undefined header");
    EXPECT_EQ(NextError(), "-102,Syntax error");
    EXPECT_EQ(NextError(), "-108,Parameter not allowed");
    EXPECT_EQ(NextError(), "-109,Missing parameter");
    EXPECT_EQ(NextError(), "-108,Parameter not allowed");
    EXPECT_EQ(NextError(), "-113,Undefined header");
    EXPECT_EQ(NextError(), "-113,Undefined header");
    EXPECT_EQ(NextError(), "0,No error");

    // Lines with nothing to do record nothing.
    EXPECT_FALSE(controller_->Execute("").has_value());
    EXPECT_FALSE(controller_->Execute(" ;; ").has_value());
    EXPECT_EQ(NextError(), "0,No error");
}

TEST_F(SimControllerTest, ErrorQueueIsBoundedAndKeepsTheOldest) {
    Make(28);
    controller_->ReportInputOverrun();
    for (int i = 0; i < 40; ++i) {
        controller_->Execute("NOPE");
    }
    EXPECT_EQ(NextError(), "-363,Input buffer overrun");
    for (std::size_t i = 1; i + 1 < CSimErrorQueue::Capacity; ++i) {
        EXPECT_EQ(NextError(), "-113,Undefined header");
    }
    EXPECT_EQ(NextError(), "-350,Queue overflow");
    EXPECT_EQ(NextError(), "0,No error");

    controller_->Execute("NOPE;NOPE");
    EXPECT_FALSE(controller_->Execute("*CLS").has_value());
    EXPECT_EQ(NextError(), "0,No error");
}

TEST_F(SimControllerTest, InputsBeyondTheModelAreErrors) {
    for (const SimModel& model : SimModel::All()) {
        SCOPED_TRACE(model.code);
        Make(model.code);
        const std::string last(1, static_cast<char>('A' + model.inputCount - 1));
        const std::string beyond(1, static_cast<char>('A' + model.inputCount));
        EXPECT_EQ(Ask("INP " + last + ":NAME?"), "Input " + last);
        EXPECT_FALSE(controller_->Execute("INP " + beyond + ":TEMP?;UNIT?;NAME?;").has_value());
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(NextError(), "-114,Header suffix out of range");
        }
        EXPECT_FALSE(controller_->Execute("INP " + beyond + ":NAME X").has_value());
        EXPECT_EQ(NextError(), "-114,Header suffix out of range");
    }
    Make(28);
    EXPECT_FALSE(controller_->Execute("INP 1:TEMP?").has_value());
    EXPECT_EQ(NextError(), "-114,Header suffix out of range");
}

TEST_F(SimControllerTest, ReadingsLookLiveAndRepeatForAFixedClock) {
    Make(29);
    CSimController twin(*SimModel::Find(29), [this] { return now_; });
    // Each input hovers around a temperature of its own, as cold stages do.
    const double bases[] = {77.35, 4.21, 295.40, 19.85, 1.52, 40.10, 120.75, 9.80};
    for (int i = 0; i < 8; ++i) {
        const std::string query = std::string("INP ") + static_cast<char>('A' + i) + ":TEMP?";
        std::vector<double> values;
        for (now_ = 0.0; now_ < 600.0; now_ += 7.3) {
            const std::string reading = Ask(query);
            ASSERT_TRUE(LooksLikeReading(reading)) << reading;
            EXPECT_EQ(twin.Execute(query), reading);
            values.push_back(std::stod(reading));
        }
        const auto [low, high] = std::minmax_element(values.begin(), values.end());
        EXPECT_GT(*high - *low, 0.0) << query << " never moves";
        EXPECT_GT(*low, bases[i] * 0.99 - 0.02) << query;
        EXPECT_LT(*high, bases[i] * 1.01 + 0.02) << query;
    }
}

} // namespace
