#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "base/SimulatorProcess.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace {

class DatalogCli : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        sim_ = new CSimulatorProcess;
        started_ = sim_->Start(TUNDRIX_SIM_PROGRAM, {"--pty"});
    }
    static void TearDownTestSuite() {
        delete sim_;
        sim_ = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(started_) << sim_->Error(); }

    ProgramResult Cli(std::vector<std::string> args) {
        args.insert(args.begin(), {"--settings", dir_.File("Tundrix.INI"), "--port",
                                   "ASRL" + sim_->Address("pty") + "::INSTR"});
        return RunProgram(TUNDRIX_CLI_PROGRAM, args);
    }

    static CSimulatorProcess* sim_;
    static bool started_;
    TempDir dir_;
};

CSimulatorProcess* DatalogCli::sim_ = nullptr;
bool DatalogCli::started_ = false;

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

TEST_F(DatalogCli, UploadWritesTheFileAndLogsItOnStandardOutput) {
    const std::string path = dir_.File("log.csv");
    auto run = Cli({"datalog", "upload", path});
    EXPECT_EQ(0, run.exitCode) << run.err;
    const std::string file = ReadWhole(path);
    EXPECT_EQ(0u, file.find("TX-28 Internal Data Log\r\nInterval (s),1\r\n"));
    EXPECT_TRUE(file.ends_with(";\r\n\n"));
    EXPECT_EQ(file + "Internal DataLog is uploaded to " + path + "\n", run.out);
    EXPECT_EQ("tundrix-cli: note: Upload Complete\n", run.err);
    // Put back as it was at power-on.
    EXPECT_EQ("on\r\n", Cli({"query", "DLog:State?"}).out);
}

TEST_F(DatalogCli, AFileThatCannotBeMadeFailsAndLeavesTheLogPaused) {
    auto run = Cli({"datalog", "upload", dir_.File("missing/log.csv")});
    EXPECT_EQ(1, run.exitCode);
    EXPECT_NE(std::string::npos, run.err.find("tundrix-cli: error: Failed to create file.\n"));
    EXPECT_EQ("off\r\n", Cli({"query", "DLog:State?"}).out);
    EXPECT_EQ(0, Cli({"send", "DLog:State on"}).exitCode);
}
