#include <array>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>

#include "base/SimulatorProcess.h"
#include "curves/CurveTestFiles.h"
#include "curves/ReadCrvFile.h"
#include "support/RunProgram.h"
#include "support/TestUi.h"

namespace {

// tundrix-cli's transfers against the simulator on a pseudo-terminal.
class TransferCli : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim_.Start(TUNDRIX_SIM_PROGRAM, {"--pty", "--model", "28"})) << sim_.Error();
    }
    ProgramResult Cli(std::vector<std::string> args) {
        args.insert(args.begin(), {"--port", "ASRL" + sim_.Address("pty") + "::INSTR"});
        return RunProgram(TUNDRIX_CLI_PROGRAM, args);
    }
    std::string Write(const std::string& name, const std::string& text) {
        return WriteFile(dir_.File(name), text);
    }

    CSimulatorProcess sim_;
    TempDir dir_;
};

} // namespace

TEST_F(TransferCli, CurveDownloadWithEditedHeaderVerifiesAndUploadsBack) {
    const std::string file =
        Write("probe.crv", "Probe\nACR\n1.0\nOhms\n100 300\n200 77\n300 20\n400 4.2\n500 1.5\n;\n");
    auto download = Cli({"curve", "download", file, "--curve", "2", "--name", "Stage", "--unit",
                         "LogOhms", "--multiplier", "2", "--verify"});
    EXPECT_EQ(download.exitCode, 0) << download.err;
    EXPECT_EQ(download.out,
              "Stage\nACR\n2.000000\nLogOhm\n100.000000     300.000000\n200.000000     77.000000\n"
              "300.000000     20.000000\n400.000000     4.200000\n500.000000     1.500000\n;\n"
              "User Curve 2 is downloaded from " +
                  file + "\nVerify: User Curve 2 reads back as sent, 5 entries\n");
    EXPECT_EQ(download.err, "tundrix-cli: note: Download Complete\n");

    const std::string out = dir_.File("out.crv");
    auto upload = Cli({"curve", "upload", "2", out});
    EXPECT_EQ(upload.exitCode, 0) << upload.err;
    EXPECT_EQ(FirstLines(ReadFile(out), 4), "Stage\r\nACR\r\n2.000000\r\nLogOhm\r\n");
    EXPECT_EQ(upload.err, "tundrix-cli: note: Upload Complete\n");
}

// A line break in a header field would end the table early on the
// instrument and send the rest as commands.
TEST_F(TransferCli, AHeaderOptionWithAControlCharacterIsRefusedBeforeAnythingIsSent) {
    const std::string file = Write("p.crv", "P\nACR\n1\nOhms\n1 300\n2 77\n3 20\n4 4.2\n;\n");
    const std::array<std::array<const char*, 3>, 3> cases{{{"--type", "Diode\n;", "0x0A"},
                                                           {"--multiplier", "1\r", "0x0D"},
                                                           {"--unit", "Ohms\x7f", "0x7F"}}};
    for (const auto& [option, text, code] : cases) {
        auto run = Cli({"curve", "download", file, "--curve", "2", option, text});
        EXPECT_EQ(run.exitCode, 2);
        // Every line the download sends is written out too.
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, "tundrix-cli: curve download: " + std::string(option) +
                               " holds the control character " + code +
                               "; a header field is one line of text\n");
    }
}

TEST_F(TransferCli, EveryFailureEndsWithANonZeroStatus) {
    const std::string three = Write("three.crv", "P\nDiode\n1\nVolts\n1 3\n2 2\n3 1\n;\n");
    auto refused = Cli({"curve", "download", three, "--curve", "1"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err, "tundrix-cli: error: Not enough points to form a curve\n");
    EXPECT_EQ(refused.out, "Not enough points in " + three + " file\n");

    auto unwritable = Cli({"curve", "upload", "1", dir_.Path()});
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_EQ(unwritable.err, "tundrix-cli: warning: Failed to create file\n");

    auto noEnd = Cli({"pid", "download", Write("t.pid", "T\n1 1 1 1 Low\n"), "--table", "1"});
    EXPECT_EQ(noEnd.exitCode, 1);
    EXPECT_EQ(noEnd.err, "tundrix-cli: error: File Read Error\n");

    EXPECT_EQ(Cli({"curve", "download", three, "--curve", "9"}).exitCode, 2);
    EXPECT_EQ(Cli({"curve", "download", three, "--curve", "1", "--unit", "K"}).exitCode, 2);
}

TEST_F(TransferCli, PidTableDownloadAndUpload) {
    const std::string file = Write("zones.pid", "Zones\n\n10 50 20 0 Low\n;\n");
    auto download = Cli({"pid", "download", file, "--table", "4"});
    EXPECT_EQ(download.exitCode, 0) << download.err;
    EXPECT_EQ(download.out,
              "Zones\n10 50 20 0 Low\n;\nPID Table 4 is downloaded from " + file + "\n");
    // A table of one entry comes back as it went, though over RS232 its line
    // ends are fewer than the four of a curve's header.
    const std::string out = dir_.File("zones-back.pid");
    auto upload = Cli({"pid", "upload", "4", out});
    EXPECT_EQ(upload.exitCode, 0) << upload.err;
    EXPECT_EQ(ReadFile(out), "Zones\r\n10 50 20 0 Low\r\n;\r\n");

    auto back = Cli({"pid", "upload", "5", out});
    EXPECT_EQ(back.exitCode, 0) << back.err;
    EXPECT_EQ(FirstLines(ReadFile(out), 2), "PID Table 5\r\n20.000 40.000 25.000 0.000 Low\r\n");
}

// A standard curve is a curve like any other: it downloads, and the user
// curve uploads back with the same entries, to the six decimals sent.
TEST_F(TransferCli, AStandardCurveDownloadsAndUploadsBackEqual) {
    const std::string made = dir_.File("k.crv");
    auto standard = RunProgram(TUNDRIX_CLI_PROGRAM, {"curve", "standard", "type-k", made});
    ASSERT_EQ(standard.exitCode, 0) << standard.err;
    auto download = Cli({"curve", "download", made, "--curve", "4", "--verify"});
    EXPECT_EQ(download.exitCode, 0) << download.err;
    EXPECT_NE(download.out.find("Verify: User Curve 4 reads back as sent, 200 entries\n"),
              std::string::npos)
        << download.out;

    const std::string back = dir_.File("back.crv");
    auto upload = Cli({"curve", "upload", "4", back});
    ASSERT_EQ(upload.exitCode, 0) << upload.err;
    TestUi log;
    SensorCurve sent, read;
    ASSERT_EQ(ReadCrvFile(made, sent, log), CurveRead::Success);
    ASSERT_EQ(ReadCrvFile(back, read, log), CurveRead::Success);
    EXPECT_EQ(read.name, "Type K ITS-90");
    EXPECT_EQ(read.type, "TC80");
    EXPECT_EQ(read.unitText, "mVolts");
    ASSERT_EQ(read.count, 200);
    // Six decimals, then the nearest 32-bit float: a unit in its last place more.
    auto near = [](float x) { return 0.5e-6 + 1.2e-7 * std::fabs(x); };
    for (std::size_t i = 0; i < 200; ++i) {
        EXPECT_NEAR(read.entries[i].value, sent.entries[i].value, near(sent.entries[i].value)) << i;
        EXPECT_NEAR(read.entries[i].temperature, sent.entries[i].temperature,
                    near(sent.entries[i].temperature))
            << i;
    }
}
