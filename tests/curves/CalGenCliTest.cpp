#include <filesystem>
#include <gtest/gtest.h>

#include "curves/CurveTestFiles.h"
#include "support/RunProgram.h"

namespace {

// v = 1.7 - 0.003 T from 475 K down to 2 K: 0.8 V at 300 K, 1.469 V at 77 K.
std::string LineCurve() {
    CurvePoints points;
    for (float t : {475.0f, 300.0f, 200.0f, 100.0f, 77.0f, 50.0f, 30.0f, 10.0f, 4.2f, 2.0f})
        points.emplace_back(1.7f - 0.003f * t, t);
    return CrvText({"Standard diode", "Diode", "1.0", "Volts"}, points);
}

class CalGenCli : public ::testing::Test {
protected:
    ProgramResult Cli(std::vector<std::string> args) {
        args.insert(args.begin(), "calgen");
        return RunProgram(TUNDRIX_CLI_PROGRAM, args, "", std::chrono::seconds(10));
    }

    TempDir dir_;
    const std::string source_ = WriteFile(dir_.File("std.crv"), LineCurve());
    const std::string out_ = dir_.File("new.crv");
};

} // namespace

TEST_F(CalGenCli, WritesTheCurveAndLogsItOnStandardOutput) {
    auto run = Cli({"diode-300k", source_, out_, "--point", "300,0.81"});
    EXPECT_EQ(0, run.exitCode) << run.err;
    EXPECT_EQ("", run.err);
    EXPECT_EQ(0u, run.out.find("New Curve generated using   0.810000V at 300.000000K.\n"
                               "0.291481     475.000000\n0.810000     300.000000\n"))
        << run.out;
    // Where the curve went closes the log.
    const std::string saved = ";\nNew curve saved in " + out_ + "\n";
    EXPECT_EQ(saved, run.out.substr(run.out.size() - saved.size()));
    const std::string file = ReadFile(out_);
    EXPECT_EQ("Standard diode\nDiode\n1.0\nVolts\n0.291481 475.000000\n", FirstLines(file, 5));

    // Three points in the order of the dialog's rows: 4.2 K, 77 K, 300 K.
    run = Cli({"diode-3", source_, out_, "--point", "4.2,1.69", "--point", "77,1.47", "--point",
               "300,0.79"});
    EXPECT_EQ(0, run.exitCode) << run.err;
    EXPECT_EQ(0u, run.out.find("Generate new curve using   0.790000V at 300.000000K,\n"
                               "                     and   1.470000V at  77.000000K,\n"
                               "                     and   1.690000V at   4.200000K.\n"));
}

TEST_F(CalGenCli, APlatinumCurveBelowZeroOhmIsWrittenOnlyWhenAllowed) {
    // A platinum sensor down to 14 K; the line through 77 K / 20.5 ohm and
    // 300 K / 110.5 ohm gives -4.9 ohm there.
    const std::string source = WriteFile(
        dir_.File("pt.crv"),
        CrvText({"PT-100", "Platinum", "1.0", "Ohms"},
                {{150, 400}, {110.3f, 300}, {20.4f, 77}, {3.6f, 30}, {0.5f, 20}, {0.2f, 14}}));
    const std::vector<std::string> args{"platinum", source,    out_,       "--point",
                                        "77,20.5",  "--point", "300,110.5"};
    const std::string doubt = "2 points of the new curve are at or below 0 ohm: the line through "
                              "the reference points does not hold below 26.21K.";
    auto refused = Cli(args);
    EXPECT_EQ(1, refused.exitCode);
    EXPECT_NE(std::string::npos, refused.out.find(";\n" + doubt + "\n")) << refused.out;
    EXPECT_EQ("tundrix-cli: calgen: " + doubt + " --allow-nonpositive writes it all the same\n",
              refused.err);
    EXPECT_FALSE(std::filesystem::exists(out_));

    std::vector<std::string> allowed = args;
    allowed.push_back("--allow-nonpositive");
    auto written = Cli(allowed);
    EXPECT_EQ(0, written.exitCode) << written.err;
    EXPECT_EQ("", written.err);
    EXPECT_NE(std::string::npos, ReadFile(out_).find("\n-4.926009 14.000000\n;\n"));
}

TEST_F(CalGenCli, RefusesWhereTheDialogWouldAskAgainAndWritesNothing) {
    // More than 5 % off: the box on standard error, the log line on standard output.
    auto off = Cli({"diode-2", source_, out_, "--point", "77,1.2", "--point", "300,0.8"});
    EXPECT_EQ(1, off.exitCode);
    EXPECT_EQ("  1.200000V is more than 5% difference from the source curve at  77.000000K.\n",
              off.out);
    EXPECT_EQ("tundrix-cli: error: Low reference volatge exceeded 5% difference.\n"
              "tundrix-cli: calgen: the reference points were refused\n",
              off.err);
    EXPECT_FALSE(std::filesystem::exists(out_));

    // Outside the row's range: the dialog would not close.
    auto range = Cli({"platinum", source_, out_, "--point", "100,30", "--point", "150,110"});
    EXPECT_EQ(1, range.exitCode);
    EXPECT_EQ("tundrix-cli: calgen: --point 2: Temperature: Enter a number between 177 and 1000.\n",
              range.err);
    EXPECT_FALSE(std::filesystem::exists(out_));

    // A source the check refuses: its first entry on line 2.
    auto bad = Cli({"diode-4.2k", WriteFile(dir_.File("bad.crv"), "x\n1 2\n3 4\n5 6\n"), out_,
                    "--point", "4.2,1.69"});
    EXPECT_EQ(1, bad.exitCode);
    EXPECT_EQ("tundrix-cli: error: File Syntax Error\n", bad.err);
    EXPECT_FALSE(std::filesystem::exists(out_));

    // An output that cannot be written leaves nothing behind.
    auto unwritable =
        Cli({"diode-300k", source_, dir_.File("no/such/folder.crv"), "--point", "300,0.81"});
    EXPECT_EQ(1, unwritable.exitCode);
    EXPECT_EQ("tundrix-cli: warning: Failed to create file\n", unwritable.err);
}

TEST_F(CalGenCli, BadUsageIsRefusedBeforeAnythingIsRead) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"diode-5", source_, out_, "--point", "300,0.8"},
         "tundrix-cli: calgen: OP: one of diode-300k, diode-4.2k, diode-2, diode-3, platinum\n"},
        {{"diode-2", source_, out_, "--point", "300,0.8"},
         "tundrix-cli: calgen: diode-2 takes 2 --point options\n"},
        {{"diode-300k", source_, out_, "--point", "300;0.8"},
         "tundrix-cli: calgen: --point 300;0.8: T,V expected, for example 300,0.52\n"},
    };
    for (const auto& [args, err] : cases) {
        auto run = Cli(args);
        EXPECT_EQ(2, run.exitCode);
        EXPECT_EQ(err, run.err);
        EXPECT_EQ("", run.out);
    }
    EXPECT_FALSE(std::filesystem::exists(out_));
}
