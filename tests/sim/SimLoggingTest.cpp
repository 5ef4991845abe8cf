// What a data logging run asks of the simulator: its name queries and sample
// batches, on the models that have the quantities, and a heater model played
// with eight inputs, which answers all sixteen at once.

#include "ReplyText.h"
#include "SimProcess.h"
#include "sim/SimController.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using namespace std::chrono_literals;

std::string Ask(CSimController& controller, const std::string& line) {
    const std::optional<std::string> reply = controller.Execute(line);
    EXPECT_TRUE(reply.has_value()) << "no reply to " << line;
    return reply.value_or("");
}

} // namespace

TEST(SimLogging, AHeaterModelWithEightInputsAnswersEverySampleBatch) {
    SimModel model = *SimModel::Find(28);
    model.inputCount = 8;
    double now = 50.0;
    CSimController controller(model, [&now] { return now; });

    // The five batches of a sample with all sixteen sources, and their field counts.
    const std::pair<const char*, std::size_t> batches[] = {
        {"INP A:TEMP?;:INP B:TEMP?;:INP C:TEMP?;:INP D:TEMP?;", 4},
        {"INP E:TEMP?;:INP F:TEMP?;:INP G:TEMP?;:INP H:TEMP?;", 4},
        {"LOOP 1:OUTP?;RANGE?;:LOOP 2:OUTP?;RANGE?;:LOOP 3:OUTP?;", 5},
        {"LOOP 4:OUTP?;:LOOP 1:SETPT?;:LOOP 2:SETPT?;:LOOP 3:SETPT?;", 4},
        {"LOOP 4:SETPT?;", 1},
    };
    for (const auto& [batch, fields] : batches)
        EXPECT_EQ(Fields(Ask(controller, batch), ';').size(), fields) << batch;
    EXPECT_EQ(Ask(controller, "INP H:NAME?;UNITS?;"), "Input H;K");
    EXPECT_EQ(Ask(controller, "LOOP 4:NAME?;"), "Analog 2");
    EXPECT_EQ(Fields(Ask(controller, "SYST:IDEF?"), ',').at(5), "8");
    EXPECT_EQ(Ask(controller, "SYST:ERR?"), "0,No error");
}

TEST(SimLogging, TheHeaterOutputFollowsItsSetPoint) {
    double now = 100.0;
    CSimController controller(*SimModel::Find(27), [&now] { return now; });
    const double before = std::stod(Ask(controller, "LOOP 1:OUTP?;"));
    // A set point far above the stage: the loop drives its heater hard, then eases off
    // as the stage comes up.
    controller.Execute("LOOP 1:SETPT 150");
    const double driven = std::stod(Ask(controller, "LOOP 1:OUTP?;"));
    EXPECT_GT(driven, before + 20.0);
    now += 200.0;
    const double settled = std::stod(Ask(controller, "LOOP 1:OUTP?;"));
    EXPECT_LT(settled, driven);
    // Range 0 turns the output off.
    EXPECT_EQ(Ask(controller, "LOOP 1:RANGE 0;OUTP?;RANGE?;"), "0.00;0");
}

TEST(SimLogging, TheInputsOptionTakesTwoFourOrEight) {
    for (const char* wrong : {"3", "0", "16", "x"}) {
        simtest::SimProcess sim({"--tcp", "0", "--inputs", wrong});
        ASSERT_TRUE(sim.Started());
        EXPECT_NE(sim.Errors().find("--inputs needs 2, 4 or 8"), std::string::npos) << wrong;
        ASSERT_TRUE(sim.WaitExit(5s));
        EXPECT_TRUE(WIFEXITED(sim.Status()) && WEXITSTATUS(sim.Status()) == 2) << wrong;
    }
    simtest::SimProcess sim({"--tcp", "0", "--inputs", "8"});
    EXPECT_EQ(sim.NextLine().rfind("tcp: 127.0.0.1:", 0), 0u);
}
