#include <filesystem>
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

TEST_F(CurveCli, StandardWritesTheCurveAndSaysItsLargestError) {
    const std::string crv = dir_.File("pt100.crv");
    auto pt = Cli({"standard", "pt100", crv, "--to", "800"});
    EXPECT_EQ(0, pt.exitCode) << pt.err;
    EXPECT_TRUE(pt.out.starts_with(
        "Pt100 IEC60751, 73.15 K to 800.00 K, 200 points: largest interpolation error 0.000"))
        << pt.out;
    EXPECT_TRUE(pt.out.ends_with("K)\nStandard curve saved to " + crv + "\n")) << pt.out;
    // The strict check that CalGen runs on its source takes it; IEC 60751 gives
    // 18.52 ohm at -200 C.
    const std::string text = ReadFile(crv);
    EXPECT_TRUE(text.starts_with("Pt100 IEC60751\nPTC100\n1.0000000\nOhms\n18.520")) << text;
    auto check = Cli({"check", crv});
    EXPECT_EQ("Entries: 200\nHeader lines: 4\n", check.out);

    const std::string k340 = dir_.File("k.340");
    auto k = Cli({"standard", "type-k", k340, "--from", "3.15", "--to", "1500", "--points", "50"});
    EXPECT_EQ(0, k.exitCode) << k.err;
    EXPECT_TRUE(k.out.starts_with("Type K ITS-90, 3.15 K to 1500.00 K, 50 points:")) << k.out;
    // NIST gives -6.458 mV at -270 C.
    const std::string text340 = ReadFile(k340);
    EXPECT_TRUE(text340.starts_with(
        "Sensor Model:   Type K\nSerial Number:  Type K ITS-90\n"
        "Data Format:    1      (Millivolts/Kelvin)\nSetPoint Limit: 1500.0      (Kelvin)\n"
        "Temperature coefficient:  2 (Positive)\nNumber of Breakpoints:   50\n\n"
        "No.   Units      Temperature (K)\n\n  1  -6.457737923  3.150000095\n  2  -6.45"))
        << text340;

    struct Refused {
        std::vector<std::string> args;
        int exitCode;
        std::string err;
    };
    const std::string out = dir_.File("x.crv");
    const Refused refused[] = {
        {{"pt100", out, "--from", "50"},
         1,
         "IEC 60751 defines platinum resistors from 73.15 K (-200 C) to 1123.15 K (850 C) and "
         "says nothing below 73.15 K: 50 K is outside."},
        {{"platinum", out}, 2, "platinum needs --r0"},
        {{"pt100", out, "--r0", "200"}, 2, "--r0 goes with platinum only"},
        {{"type-x", out},
         2,
         "KIND: one of pt100, pt500, pt1000, platinum, type-e, type-j, type-k, type-n, type-t, "
         "type-r, type-s, type-b"},
        {{"type-t", dir_.File("x.txt")}, 2, "OUT: a .crv or .340 file"},
        {{"type-t", out, "--unit", "LogOhm"}, 1, "A thermocouple curve is in mVolts."},
        {{"type-t", out, "--points", "2.5"}, 2, "--points 2.5: not a whole number"},
        {{"type-t", out, "--to", "hot"}, 2, "--to hot: not a number"},
    };
    for (const Refused& r : refused) {
        std::vector<std::string> args{"standard"};
        args.insert(args.end(), r.args.begin(), r.args.end());
        auto run = Cli(args);
        EXPECT_EQ(r.exitCode, run.exitCode) << r.err;
        EXPECT_EQ("tundrix-cli: curve standard: " + r.err + "\n", run.err);
    }
    EXPECT_FALSE(std::filesystem::exists(out));
}
