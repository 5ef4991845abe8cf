#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "calc/BoilingTemperature.h"
#include "calc/PressureField.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace {

enum Liquid { Water, EthylAlcohol, CarbonDioxide, Nitrogen, Helium };
enum PressureUnit { MmHg, InHg, Atm, Psia, Torr };
enum TemperatureUnit { K, C, F };

// The result text, or the message after "!".
std::string Boil(int liquid, double pressure, int pressureUnit, int temperatureUnit) {
    std::string text;
    bool ok = ComputeBoilingTemperature(liquid, pressure, pressureUnit, temperatureUnit, text);
    return ok ? text : "!" + text;
}

} // namespace

TEST(BoilingTemperature, WorkedValuesToTheLastDigit) {
    EXPECT_EQ("  373.1521", Boil(Water, 760, MmHg, K));
    EXPECT_EQ("  351.4861", Boil(EthylAlcohol, 760, MmHg, K));
    EXPECT_EQ("  194.6509", Boil(CarbonDioxide, 760, MmHg, K));
    EXPECT_EQ("   77.3521", Boil(Nitrogen, 760, MmHg, K));
    EXPECT_EQ("    4.2142", Boil(Helium, 760, MmHg, K));
    EXPECT_EQ("  100.0021", Boil(Water, 1, Atm, C));
    EXPECT_EQ("  212.0038", Boil(Water, 1, Atm, F));
    EXPECT_EQ("  -78.4991", Boil(CarbonDioxide, 1, Atm, C));
    EXPECT_EQ(" -320.4362", Boil(Nitrogen, 1, Atm, F));
    // Helium keeps to its line at any pressure; nitrogen stays finite at 1 mmHg;
    // 1000 ATM keeps every Antoine denominator positive; wide values are not cut.
    EXPECT_EQ("    3.1204", Boil(Helium, 0.001, MmHg, K));
    EXPECT_EQ("   45.9682", Boil(Nitrogen, 1, MmHg, K));
    EXPECT_EQ("  423.2082", Boil(Nitrogen, 1000, Atm, K));
    EXPECT_EQ("1439203.1204", Boil(Helium, 1e9, MmHg, K));
    // 29.92 inHg is 759.79 mmHg (25.394204), not 759.97 (25.4); 14.696 psia is
    // one atmosphere; Torr is mmHg.
    EXPECT_EQ(Boil(Water, 29.92 * 25.394204, MmHg, K), Boil(Water, 29.92, InHg, K));
    EXPECT_NE(Boil(Water, 29.92 * 25.4, MmHg, K), Boil(Water, 29.92, InHg, K));
    for (int liquid : {Water, EthylAlcohol, CarbonDioxide, Nitrogen, Helium}) {
        EXPECT_EQ(Boil(liquid, 760, MmHg, F), Boil(liquid, 14.696, Psia, F)) << liquid;
        EXPECT_EQ(Boil(liquid, 0.5, MmHg, C), Boil(liquid, 0.5, Torr, C)) << liquid;
    }
}

TEST(BoilingTemperature, MessagesInTheirOrder) {
    EXPECT_EQ("!Enter Pressure before calculate.", Boil(Water, -0.0, 9, 9));
    EXPECT_EQ("!Unknown pressure unit", Boil(Water, 1, 5, 9));
    EXPECT_EQ("!Unknown pressure unit", Boil(Water, 1, -1, K));
    EXPECT_EQ("!Unknown liquid", Boil(5, 1, Atm, K));
    EXPECT_EQ("!Unknown liquid", Boil(-1, 1, Atm, K));
    EXPECT_EQ("!Unkown Temperature Unit", Boil(Water, 1, Atm, 3));
    EXPECT_EQ("!Unkown Temperature Unit", Boil(Helium, 1, Atm, -1));
}

TEST(BoilingTemperature, APointInAnyLocale) {
    // The calculator runs in the user's locale; a decimal comma must not reach
    // the result. The locale is compiled into a private folder.
    TempDir locales;
    if (RunProgram("/usr/bin/localedef", {"-i", "de_DE", "-f", "UTF-8", locales.File("de")})
            .exitCode != 0)
        GTEST_SKIP() << "cannot compile a de_DE locale";
    ::setenv("LOCPATH", locales.Path().c_str(), 1);
    ASSERT_NE(nullptr, std::setlocale(LC_NUMERIC, "de"));
    char comma[8];
    std::snprintf(comma, sizeof comma, "%.1f", 1.5);
    const std::string result = Boil(Water, 1, Atm, C);
    std::setlocale(LC_NUMERIC, "C");
    ::unsetenv("LOCPATH");
    EXPECT_STREQ("1,5", comma);
    EXPECT_EQ("  100.0021", result);
}

TEST(PressureField, ZeroToOneThousandInTheCLocale) {
    const std::string range = "Enter a number between 0 and 1000.", number = "Enter a number.";
    const std::pair<const char*, std::string> cases[] = {
        {"0", ""},          {"1000", ""},    {" +29.92 ", ""},  {"1e-400", ""},
        {"1000.01", range}, {"-0.5", range}, {"1e400", range},  {"nan", range},
        {"", number},       {"1,5", number}, {"12 mm", number}, {"0x10", number}};
    for (const auto& [text, refusal] : cases) {
        double pressure = -7;
        EXPECT_EQ(refusal, ParsePressure(text, pressure)) << '"' << text << '"';
        EXPECT_EQ(refusal.empty(), pressure != -7) << '"' << text << '"';
    }
}

TEST(VaporixCommand, PrintsWhatTheDialogShowsAndRefusesWhatItRefuses) {
    auto run = [](std::vector<std::string> args) {
        args.insert(args.begin(), "vaporix");
        return RunProgram(TUNDRIX_CLI_PROGRAM, args);
    };
    auto water = run({"water", "1", "atm", "f"});
    EXPECT_EQ(0, water.exitCode) << water.err;
    EXPECT_EQ("  212.0038\n", water.out);
    EXPECT_EQ("  -78.4991\n", run({"Carbon Dioxide", "14.696", "PSIA", "1"}).out);

    auto zero = run({"3", "0", "Torr", "K"});
    EXPECT_EQ(1, zero.exitCode);
    EXPECT_EQ("Enter Pressure before calculate.\n", zero.err);
    EXPECT_EQ("Enter a number between 0 and 1000.\n", run({"Water", "-1", "ATM", "K"}).err);

    auto neon = run({"Neon", "1", "ATM", "K"});
    EXPECT_EQ(2, neon.exitCode);
    EXPECT_NE(std::string::npos, neon.err.find("LIQUID \"Neon\""));
    EXPECT_EQ(2, run({"Water", "1", "ATM", "3"}).exitCode);
}
