#include "sim/SimController.h"
#include "ReplyText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>
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

TEST_F(SimControllerTest, EachModelHasItsInputsAndLoopsAndRefusesTheRest) {
    // The family as the instruments are built: inputs, then loops (1-2 heaters, 3-4 analog).
    struct Row {
        int code, inputs, loops;
    };
    const Row family[] = {{27, 4, 3}, {28, 4, 4}, {29, 8, 0}, {30, 4, 0}, {31, 2, 0},
                          {32, 2, 4}, {33, 4, 3}, {34, 4, 4}, {35, 8, 0}};
    const char* loopNames[] = {"Heater 1", "Heater 2", "Analog 1", "Analog 2"};
    const char* loopCommands[] = {"OUTP?", "HTRR?",   "RANGE?",  "SETPT?",    "NAME?",
                                  "INP?",  "RANGE 1", "SETPT 5", "NAME Cold", "INP A"};
    const std::string outOfRange = "-114,Header suffix out of range";

    for (const Row& row : family) {
        SCOPED_TRACE(row.code);
        Make(row.code);
        EXPECT_EQ(Fields(Ask("*IDN?"), ',').at(1), "TX-" + std::to_string(row.code));
        EXPECT_EQ(Ask("SYST:IDEF?").substr(0, 3), std::to_string(row.code) + ",");

        const std::string last(1, static_cast<char>('A' + row.inputs - 1));
        const std::string beyond(1, static_cast<char>('A' + row.inputs));
        EXPECT_EQ(Ask("INP " + last + ":NAME?"), "Input " + last);
        EXPECT_FALSE(controller_->Execute("INP " + beyond + ":TEMP?;UNIT?;NAME?;").has_value());
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(NextError(), outOfRange);
        }
        EXPECT_FALSE(controller_->Execute("INP " + beyond + ":NAME X").has_value());
        EXPECT_EQ(NextError(), outOfRange);

        for (int n = 1; n <= 4; ++n) {
            SCOPED_TRACE(n);
            const std::string loop = "LOOP " + std::to_string(n) + ":";
            if (n <= row.loops) {
                EXPECT_EQ(Ask(loop + "NAME?"), loopNames[n - 1]);
                EXPECT_EQ(NextError(), "0,No error");
                continue;
            }
            for (const char* command : loopCommands) {
                EXPECT_FALSE(controller_->Execute(loop + command).has_value()) << command;
                EXPECT_EQ(NextError(), outOfRange) << command;
            }
        }
        // A heater's range readback means nothing on an analog output.
        if (row.loops >= 3) {
            EXPECT_FALSE(controller_->Execute("LOOP 3:HTRR?").has_value());
            EXPECT_EQ(NextError(), outOfRange);
        }
        EXPECT_FALSE(controller_->Execute("LOOP 0:NAME?").has_value());
        EXPECT_EQ(NextError(), outOfRange);
        EXPECT_EQ(NextError(), "0,No error");
    }
    Make(28);
    EXPECT_FALSE(controller_->Execute("INP 1:TEMP?").has_value());
    EXPECT_EQ(NextError(), outOfRange);
}

TEST_F(SimControllerTest, OutputQueriesAnswerAsTheUtilitySendsThem) {
    Make(28);
    // The output monitors: no ";" between the two queries, value first, then the name.
    const std::vector<std::pair<std::string, std::string>> monitors = {
        {"LOOP 1:HTRR?NAME?;", "Heater 1"},
        {"LOOP 2:HTRR?NAME?;", "Heater 2"},
        {"LOOP 3:OUTP?NAME?;", "Analog 1"},
        {"LOOP 4:OUTP?NAME?;", "Analog 2"}};
    for (const auto& [query, name] : monitors) {
        const std::vector<std::string> reply = Fields(Ask(query), ';');
        ASSERT_EQ(reply.size(), 2u) << query;
        EXPECT_TRUE(LooksLikeFixed(reply[0], query.find("HTRR") != std::string::npos ? 1 : 2))
            << reply[0];
        EXPECT_EQ(reply[1], name);
    }

    // A logging sample with every output and set point chosen, in its two batches.
    const std::vector<std::string> outputs =
        Fields(Ask("LOOP 1:OUTP?;RANGE?;:LOOP 2:OUTP?;RANGE?;:LOOP 3:OUTP?;"), ';');
    ASSERT_EQ(outputs.size(), 5u);
    for (const std::size_t i : {0u, 2u, 4u}) {
        EXPECT_TRUE(LooksLikeFixed(outputs[i], 2)) << outputs[i];
        const double percent = std::stod(outputs[i]);
        EXPECT_GT(percent, 0.0);
        EXPECT_LT(percent, 100.0);
    }
    EXPECT_EQ(outputs[1], "1");
    EXPECT_EQ(outputs[3], "1");
    const std::vector<std::string> setpoints =
        Fields(Ask("LOOP 4:OUTP?;:LOOP 1:SETPT?;:LOOP 2:SETPT?;:LOOP 3:SETPT?;"), ';');
    ASSERT_EQ(setpoints.size(), 4u);
    EXPECT_TRUE(LooksLikeFixed(setpoints[0], 2)) << setpoints[0];
    for (std::size_t i = 1; i < setpoints.size(); ++i) {
        EXPECT_TRUE(LooksLikeFixed(setpoints[i], 3)) << setpoints[i];
    }
    EXPECT_EQ(Ask("LOOP 4:NAME?;"), "Analog 2");

    // The heater readback is the output to one decimal, and both move with the input.
    std::vector<std::string> seen;
    for (now_ = 0.0; now_ < 600.0; now_ += 11.0) {
        const std::vector<std::string> both = Fields(Ask("LOOP 1:OUTP?;HTRR?"), ';');
        ASSERT_EQ(both.size(), 2u);
        EXPECT_NEAR(std::stod(both[1]), std::stod(both[0]), 0.0501) << both[0] << " " << both[1];
        seen.push_back(both[0]);
    }
    std::sort(seen.begin(), seen.end());
    EXPECT_GT(std::unique(seen.begin(), seen.end()) - seen.begin(), 10) << "output never moves";
    EXPECT_EQ(NextError(), "0,No error");
}

TEST_F(SimControllerTest, LoopSettingsReadBackAndRefuseBadValues) {
    Make(34);
    EXPECT_FALSE(controller_->Execute("LOOP 2:RANGE 5;SETPT 12.5;NAME Cold plate").has_value());
    EXPECT_EQ(Ask("LOOP 2:RANGE?;SETPT?;NAME?"), "5;12.500;Cold plate");
    EXPECT_EQ(Ask("loop 2:setpoint +300;Setpt?"), "300.000");
    EXPECT_EQ(Ask("LOOP 2:NAME \"a;b\";NAME?"), "a;b");
    EXPECT_EQ(Ask("LOOP 2:NAME A name far too long;NAME?"), "A name far too ");
    EXPECT_EQ(Ask("LOOP 2:INP d;INPUT?"), "D");
    EXPECT_EQ(Ask("LOOP 4:RANGE 0;RANGE?;OUTP?"), "0;0.00");
    EXPECT_EQ(Ask("LOOP 1:RANGE 0;HTRR?"), "0.0");
    EXPECT_EQ(NextError(), "0,No error");

    const std::vector<std::string> refused = {
        "LOOP 1:RANGE 6", "LOOP 1:RANGE -1",   "LOOP 1:RANGE 1.5", "LOOP 3:RANGE 2",
        "LOOP 1:SETPT 0", "LOOP 1:SETPT 1501", "LOOP 1:SETPT abc", "LOOP 1:SETPT nan",
        "LOOP 1:INP E",   "LOOP 1:INP AB"};
    for (const std::string& line : refused) {
        EXPECT_FALSE(controller_->Execute(line).has_value()) << line;
        EXPECT_EQ(NextError(), "-224,Illegal parameter value") << line;
    }
    EXPECT_EQ(Ask("LOOP 1:RANGE?;SETPT?;INP?;:LOOP 3:RANGE?"), "0;77.350;A;1");

    EXPECT_FALSE(controller_->Execute("LOOP 1:SETPT").has_value());
    EXPECT_EQ(NextError(), "-109,Missing parameter");
    EXPECT_FALSE(controller_->Execute("LOOP 1:OUTP 50").has_value());
    EXPECT_EQ(NextError(), "-113,Undefined header");

    // A reset brings back the power-on loops: on, each holding its own input where it is.
    EXPECT_FALSE(controller_->Execute("*RST").has_value());
    EXPECT_EQ(Ask("LOOP 1:NAME?;RANGE?;SETPT?;INP?;:LOOP 2:NAME?;RANGE?;INP?;:LOOP 4:RANGE?"),
              "Heater 1;1;77.350;A;Heater 2;1;B;1");
    EXPECT_EQ(NextError(), "0,No error");
}

TEST_F(SimControllerTest, SetPointDrawsItsInputWithAFirstOrderLag) {
    Make(28);
    // An untouched twin on the same clock shows where each input would be without the loop.
    CSimController twin(*SimModel::Find(28), [this] { return now_; });
    auto shift = [&](char input) {
        const std::string query = std::string("INP ") + input + ":TEMP?";
        return std::stod(Ask(query)) - std::stod(twin.Execute(query).value());
    };
    // Drift and noise scale with the temperature, so they scale the shift by a few per mille.
    auto expectShift = [&](char input, double expected) {
        EXPECT_NEAR(shift(input), expected, 0.0025 * std::abs(expected) + 0.0002)
            << input << " at " << now_;
    };
    const double tau = CSimInputs::PullSeconds;
    const double step = 120.0 - 77.35;

    now_ = 1000.0;
    EXPECT_FALSE(controller_->Execute("LOOP 1:SETPT 120").has_value());
    expectShift('A', 0.0);
    EXPECT_EQ(Ask("LOOP 1:OUTP?;HTRR?"), "100.00;100.0");
    for (const double elapsed : {5.0, 20.0, 60.0, 200.0}) {
        now_ = 1000.0 + elapsed;
        expectShift('A', step * (1.0 - std::exp(-elapsed / tau)));
        for (const char other : {'B', 'C', 'D'}) {
            EXPECT_EQ(shift(other), 0.0) << other;
        }
    }
    // Settled: the heater holds the stage with part of its power.
    const double holding = std::stod(Ask("LOOP 1:OUTP?"));
    EXPECT_GT(holding, 10.0);
    EXPECT_LT(holding, 90.0);

    // Switched off, the input falls back to its natural course with the same lag.
    const double held = step * (1.0 - std::exp(-200.0 / tau));
    EXPECT_FALSE(controller_->Execute("LOOP 1:RANGE 0").has_value());
    now_ += tau;
    expectShift('A', held * std::exp(-1.0));

    // A loop moved to another input leaves the first one alone and draws the new one,
    // ahead of loop 2, which holds that input from power-on.
    now_ = 2000.0;
    EXPECT_FALSE(controller_->Execute("LOOP 1:RANGE 2;INP B").has_value());
    now_ += 2.0 * tau;
    expectShift('A', held * std::exp(-(now_ - 1200.0) / tau));
    const double drawn = (120.0 - 4.21) * (1.0 - std::exp(-2.0));
    expectShift('B', drawn);

    // A reset restores the set points, but a stage cannot jump: B starts back from where it is.
    EXPECT_FALSE(controller_->Execute("*RST").has_value());
    expectShift('B', drawn);
    now_ += 10.0 * tau;
    expectShift('B', drawn * std::exp(-10.0));
    EXPECT_EQ(NextError(), "0,No error");
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
