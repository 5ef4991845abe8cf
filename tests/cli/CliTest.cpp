#include <gtest/gtest.h>

#include "base/SimulatorProcess.h"
#include "support/PtyPeer.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace {

class CliAgainstSimulator : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        sim_ = new CSimulatorProcess;
        ASSERT_TRUE(sim_->Start(TUNDRIX_SIM_PROGRAM, {"--pty"})) << sim_->Error();
    }
    static void TearDownTestSuite() {
        delete sim_;
        sim_ = nullptr;
    }

    ProgramResult Cli(std::vector<std::string> args, const std::string& input = "") {
        args.insert(args.begin(), {"--settings", dir_.File("Tundrix.INI"), "--port",
                                   "ASRL" + sim_->Address("pty") + "::INSTR"});
        return RunProgram(TUNDRIX_CLI_PROGRAM, args, input);
    }

    static CSimulatorProcess* sim_;
    TempDir dir_;
};

CSimulatorProcess* CliAgainstSimulator::sim_ = nullptr;

} // namespace

TEST_F(CliAgainstSimulator, QueryPrintsTheReplyExactlyAsReceived) {
    auto idn = Cli({"query", "*IDN?"});
    EXPECT_EQ(0, idn.exitCode) << idn.err;
    EXPECT_EQ(0u, idn.out.find("ARKTRONIC,"));
    EXPECT_EQ("\r\n", idn.out.substr(idn.out.size() - 2));
    EXPECT_EQ("", idn.err);

    auto idef = Cli({"query", "SYST:IDEF?"});
    EXPECT_EQ(0, idef.exitCode);
    EXPECT_EQ(0u, idef.out.find("28,"));
}

TEST_F(CliAgainstSimulator, SendWritesTheLineAndPrintsNothing) {
    auto sent = Cli({"send", "INP C:NAME Sample"});
    EXPECT_EQ(0, sent.exitCode) << sent.err;
    EXPECT_EQ("", sent.out);
    EXPECT_EQ("Sample\r\n", Cli({"query", "INP C:NAME?"}).out);
}

TEST_F(CliAgainstSimulator, TerminalLogsEachExchangeLikeTheUtility) {
    auto run = Cli({"terminal"}, "INP D:NAME Shield\r\nINP D:NAME?\n\n*CLS");
    EXPECT_EQ(0, run.exitCode) << run.err;
    EXPECT_EQ("\ncommand:INP D:NAME Shield\n"
              "\nquery:INP D:NAME?\nresponse:Shield\r\n\n"
              "\ncommand:*CLS\n",
              run.out);
}

TEST_F(CliAgainstSimulator, TerminalReportsFailuresOnStandardErrorAndExitsNonZero) {
    auto run = Cli({"terminal"}, std::string(101, 'X') + "\n*IDN?\n");
    EXPECT_EQ(1, run.exitCode);
    EXPECT_NE(std::string::npos, run.err.find("LinkResult -2"));
    EXPECT_NE(std::string::npos, run.out.find("\nresponse:ARKTRONIC,"));
}

TEST_F(CliAgainstSimulator, IdentifyPrintsModelCodeAndFeatureRow) {
    auto run = Cli({"identify"});
    EXPECT_EQ(0, run.exitCode) << run.err;
    EXPECT_EQ("Model: ARKTRONIC,TX-28\nModel code: 28\nModel class: 2\nInputs: 4\n"
              "Analog kind: 4\n",
              run.out);
}

TEST(Cli, IdentifyWithoutAnInstrumentSaysNoDevice) {
    PtyPeer silent;
    TempDir dir;
    auto run = RunProgram(TUNDRIX_CLI_PROGRAM, {"--settings", dir.File("Tundrix.INI"), "--port",
                                                "ASRL" + silent.Device() + "::INSTR", "identify"});
    EXPECT_EQ(1, run.exitCode);
    EXPECT_EQ("", run.out);
    EXPECT_NE(std::string::npos, run.err.find("Communication Error"));
    EXPECT_NE(std::string::npos, run.err.find("- Matching Baud Rates"));
    EXPECT_NE(std::string::npos, run.err.find("No Device"));
}

TEST(Cli, APortThatCannotOpenFailsWithTheLinksMessageAndCode) {
    TempDir dir;
    auto run =
        RunProgram(TUNDRIX_CLI_PROGRAM, {"--settings", dir.File("Tundrix.INI"), "--port",
                                         "ASRL/dev/tundrix-missing::INSTR", "query", "*IDN?"});
    EXPECT_EQ(1, run.exitCode);
    EXPECT_EQ("", run.out);
    EXPECT_NE(std::string::npos, run.err.find("Failed to create RS232 serial port"));
    EXPECT_NE(std::string::npos, run.err.find("/dev/tundrix-missing"));
    EXPECT_NE(std::string::npos, run.err.find("LinkResult -1"));
}

TEST(Cli, ABadResourceIsAUsageError) {
    auto run = RunProgram(TUNDRIX_CLI_PROGRAM, {"--port", "COM3", "query", "*IDN?"});
    EXPECT_EQ(2, run.exitCode);
    EXPECT_NE(std::string::npos, run.err.find("not a resource"));
}

TEST(Cli, WithoutAPortTheSettingsFileDecides) {
    TempDir dir;
    std::string settings = dir.File("Tundrix.INI");
    {
        std::FILE* f = std::fopen(settings.c_str(), "w");
        std::fputs("[CommunicationSetup]\nCommPort=4\n[SerialDevices]\nCOM5=/dev/tundrix-com5\n",
                   f);
        std::fclose(f);
    }
    auto run = RunProgram(TUNDRIX_CLI_PROGRAM, {"--settings", settings, "send", "*CLS"});
    EXPECT_EQ(1, run.exitCode);
    EXPECT_NE(std::string::npos, run.err.find("/dev/tundrix-com5"));
}
