// A command file against the simulated controller on each transport: the
// instrument's replies keep their line end, which a RESPONSE written on one
// line must still match.

#include <gtest/gtest.h>

#include <regex>

#include "CommandFileFixture.h"
#include "support/SimulatorLinks.h"

namespace {

using CommandFileOnTransport = OnEachTransport;

} // namespace

TEST_P(CommandFileOnTransport, ChecksRepliesAsTheyArriveAndLogsEachStep) {
    CSettingsStore settings{""};
    TestUi ui;
    auto link = sim_->Link(GetParam(), settings, ui, ui, ui);
    CommandFileRun run(*link);
    const std::string name = std::string("Stage ") + SimulatorOnAllTransports::Name(GetParam());
    CommandFileResult result = run.Run("<?xml version=\"1.0\"?>\n"
                                       "<TRANSACTIONS>\n"
                                       "<!-- identity, then input A -->\n"
                                       "<IDENTIFY>\n"
                                       "  <QUERY>*IDN?</QUERY>\n"
                                       "  <RESPONSE>ARKTRONIC,TX-28,SN280417,1.4.2</RESPONSE>\n"
                                       "</IDENTIFY>\n"
                                       "<INPUTA>\n"
                                       "  <COMMAND>INP A:NAME " +
                                       name +
                                       "</COMMAND>\n"
                                       "  <QUERY>INP A:NAME?</QUERY>\n"
                                       "  <RESPONSE>" +
                                       name +
                                       "</RESPONSE>\n"
                                       "  <QUERY>INP A:TEMP?</QUERY>\n"
                                       "  <FLOATRESPONSE>77</FLOATRESPONSE>\n"
                                       "  <QUERY>INP A:TEMP?</QUERY>\n"
                                       "  <FLOATRESPONSE>300</FLOATRESPONSE>\n"
                                       "</INPUTA>\n"
                                       "</TRANSACTIONS>\n");
    EXPECT_EQ(CommandFileOutcome::Completed, result.outcome);
    // The name's space is in the expected text and so never matches; input A
    // hovers near 77 K, far from 300.
    EXPECT_EQ(2, result.errors);
    EXPECT_TRUE(std::regex_match(
        run.ErrorLog(),
        std::regex("Error:The returned string for query \"INPUTA: tag 3: INP A:NAME\\?\"\n"
                   "Received:STAGE (RS232|GPIB|LAN),Expected:STAGE \\1\n"
                   "Error:The return string for query \"INPUTA: tag 7: INP A:TEMP\\?\"\n"
                   "Received:7[67]\\.[0-9]+,Expected:300\n"
                   "Command language test completed.\n"
                   "2 Errors logged in the ErrorLog.txt\n")))
        << run.ErrorLog();
    EXPECT_NE(std::string::npos,
              run.log.Log().find("IDENTIFY: Query:*IDN?\nReceived:ARKTRONIC,TX-28,SN280417,1.4.2\n"
                                 "INPUTA: Command:INP A:NAME " +
                                 name + "\n"));
    EXPECT_EQ("Expected:ARKTRONIC,TX-28,SN280417,1.4.2\nExpected:" + name + "\n",
              run.standardOutput.Log());
    EXPECT_TRUE(ui.Boxes().empty());
}

INSTANTIATE_TEST_SUITE_P(Transports, CommandFileOnTransport,
                         ::testing::ValuesIn(SimulatorOnAllTransports::Transports),
                         [](const ::testing::TestParamInfo<int>& param) {
                             return std::string(SimulatorOnAllTransports::Name(param.param));
                         });
