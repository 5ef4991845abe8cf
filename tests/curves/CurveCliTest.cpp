#include <gtest/gtest.h>

#include "curves/CurveTestFiles.h"
#include "support/RunProgram.h"

namespace {

class CurveCli : public ::testing::Test {
protected:
    ProgramResult Cli(std::vector<std::string> args) {
        args.insert(args.begin(), "curve");
        return RunProgram(TUNDRIX_CLI_PROGRAM, args);
    }
    std::string Write(const std::string& name, const std::string& text) {
        return WriteFile(dir_.File(name), text);
    }

    TempDir dir_;
};

} // namespace

TEST_F(CurveCli, CheckPrintsTheCountsOrTheCheckersMessages) {
    auto good =
        Cli({"check", Write("good.crv", CrvText({"P", "Diode", "1", "Volts"}, DiodePoints(7)))});
    EXPECT_EQ(0, good.exitCode) << good.err;
    EXPECT_EQ("Entries: 7\nHeader lines: 4\n", good.out);

    const std::string bad =
        Write("bad.crv", CrvText({"P", "Diode", "1", "Volts"}, DiodePoints(7), ","));
    auto refused = Cli({"check", bad});
    EXPECT_EQ(1, refused.exitCode);
    EXPECT_EQ("", refused.out);
    EXPECT_EQ("tundrix-cli: error: File Syntax Error\nSyntax error in " + bad + " file\n",
              refused.err);
}

TEST_F(CurveCli, ShowListsTheCurveWithItsErrorMarks) {
    auto good = Cli({"show", Write("a.crv", "Probe\nDiode\n1.0\nVolts\n1.5 10\n0.5,300\n")});
    EXPECT_EQ(0, good.exitCode) << good.err;
    EXPECT_EQ("Probe\nDiode\n1.0\nVolts\n0.5,300\n1.5 10\n", good.out);

    Published340 file;
    file.model = "XX-1";
    file.points = {{0.5f, 300.0f}, {1.0f, 77.0f}};
    file.breakpoints = "3";
    auto bad = Cli({"show", Write("b.340", file.Text() + "\r\n  3  oops  4.2")});
    EXPECT_EQ(1, bad.exitCode);
    EXPECT_EQ("D6091234\nXX-1   **ERROR**\n1 (Negative)\n2      (Volts/Kelvin)\n"
              "  1  0.50000      300.000\n  2\t1.00000\t77.000  \n  3  oops  4.2   **ERROR**\n",
              bad.out);

    auto missing = Cli({"show", dir_.File("none.340")});
    EXPECT_EQ(1, missing.exitCode);
    EXPECT_EQ("Cannot open input file\n", missing.err);
}

// /dev/zero never ends: read as a curve it kept the program busy for ever.
TEST_F(CurveCli, ADeviceIsNoCurveFile) {
    const std::string said = "/dev/zero: not a regular file (a device, a pipe or a folder)\n"
                             "Cannot open input file\n";
    const auto show = RunProgram(TUNDRIX_CLI_PROGRAM, {"curve", "show", "/dev/zero"}, "",
                                 std::chrono::seconds(5));
    EXPECT_EQ(1, show.exitCode);
    EXPECT_EQ(said, show.err);
    // CalGen's strict check of its source, its log on standard output.
    const auto calgen = RunProgram(
        TUNDRIX_CLI_PROGRAM,
        {"calgen", "diode-300k", "/dev/zero", dir_.File("out.crv"), "--point", "300,0.5"}, "",
        std::chrono::seconds(5));
    EXPECT_EQ(1, calgen.exitCode);
    EXPECT_EQ(said, calgen.out);
}

TEST_F(CurveCli, ConvertWritesTheCrvFileAsTheAcceptedDialogWould) {
    Published340 file;
    file.format = "4      (Log Ohms/Kelvin)";
    file.points = {{3.0f, 1.5f}, {2.0f, 10.0f}, {1.0f, 100.0f}, {0.5f, 300.0f}};
    const std::string in = Write("in.340", file.Text());
    const std::string out = dir_.File("out.crv");
    auto run = Cli({"convert", in, out});
    EXPECT_EQ(0, run.exitCode) << run.err;
    // Said once, not as a note and again as the log line.
    EXPECT_EQ("Converted Sensor Curve saved\r\n", run.err);
    EXPECT_EQ("D6091234\nDiode\n-1.0000000\nLogOhm\n0.5000000000  300.0000000\n"
              "1.000000000  100.0000000\n2.000000000  10.00000000\n3.000000000  1.500000000\n;\n",
              ReadFile(out));

    run = Cli({"convert", in, out, "--name", "Carbon 1", "--type", "R8K10UA", "--multiplier", "1.5",
               "--unit", "Ohms"});
    EXPECT_EQ(0, run.exitCode) << run.err;
    EXPECT_EQ("Carbon 1\nR8K10UA\n1.5000000\nOhms\n", FirstLines(ReadFile(out), 4));

    EXPECT_EQ(2, Cli({"convert", in, out, "--multiplier", "1,5"}).exitCode);
    EXPECT_EQ(2, Cli({"convert", in, out, "--unit", "Kelvin"}).exitCode);

    file.points.pop_back();
    auto refused = Cli({"convert", Write("three.340", file.Text()), dir_.File("three.crv")});
    EXPECT_EQ(1, refused.exitCode);
    EXPECT_EQ("tundrix-cli: error: Not enough points to form a curve\nNot enough points in " +
                  dir_.File("three.340") + " file\n",
              refused.err);
    EXPECT_FALSE(std::filesystem::exists(dir_.File("three.crv")));
}
