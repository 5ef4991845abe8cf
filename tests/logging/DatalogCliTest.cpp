#include <gtest/gtest.h>

#include <fstream>

#include "support/CliSuite.h"
#include "support/WholeFile.h"

namespace {

class DatalogCli : public CliSuite {
protected:
    static void SetUpTestSuite() { StartSimulator({"--pty"}); }
};

} // namespace

TEST_F(DatalogCli, UploadWritesTheFileAndLogsItOnStandardOutput) {
    const std::string path = dir_.File("log.csv");
    auto run = Cli({"datalog", "upload", path});
    EXPECT_EQ(0, run.exitCode) << run.err;
    const std::string file = ReadFile(path);
    EXPECT_EQ(0u, file.find("TX-28 Internal Data Log\r\nInterval (s),1\r\n"));
    EXPECT_TRUE(file.ends_with(";\r\n\n"));
    EXPECT_EQ(file + "Internal DataLog is uploaded to " + path + "\n", run.out);
    EXPECT_EQ("tundrix-cli: note: Upload Complete\n", run.err);
    // Put back as it was at power-on.
    EXPECT_EQ("on\r\n", Cli({"query", "DLog:State?"}).out);
}

TEST_F(DatalogCli, AFileThatCannotBeMadeFailsAndLeavesTheLogAlone) {
    auto run = Cli({"datalog", "upload", dir_.File("missing/log.csv")});
    EXPECT_EQ(1, run.exitCode);
    EXPECT_NE(std::string::npos, run.err.find("tundrix-cli: error: Failed to create file.\n"));
    EXPECT_EQ("on\r\n", Cli({"query", "DLog:State?"}).out);
}
