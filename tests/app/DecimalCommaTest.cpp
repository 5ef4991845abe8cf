// The numbers the utility reads from and writes to its settings and files,
// with the process in a locale whose decimal point is a comma, as the GUI runs
// for a user in Germany.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "app/VantorCore.h"
#include "base/DecimalText.h"
#include "base/GivenFiles.h"
#include "base/SettingsStore.h"
#include "base/TransactionMutex.h"
#include "cmdfile/CommandFileRunner.h"
#include "comm/CommLink.h"
#include "comm/MyIPAddr.h"
#include "curves/ConvertCurve.h"
#include "curves/GivenCurveHeader.h"
#include "curves/ReadCrvFile.h"
#include "logging/StripChartScale.h"
#include "support/DecimalCommaLocale.h"
#include "support/TcpResponder.h"
#include "support/TestUi.h"
#include "support/WholeFile.h"

namespace {

class DecimalComma : public ::testing::Test {
protected:
    static void SetUpTestSuite() { locale_ = new DecimalCommaLocale; }
    static void TearDownTestSuite() {
        delete locale_;
        locale_ = nullptr;
    }
    void SetUp() override {
        if (!locale_->Available())
            GTEST_SKIP() << locale_->Why();
        ASSERT_TRUE(locale_->Use());
        // The locale bites: the C library reads "2.5" as 2 here.
        ASSERT_EQ(2.0, std::strtod("2.5", nullptr));
    }
    void TearDown() override {
        TUNDRIX_LIBC_KEEPS_IT;
        std::setlocale(LC_ALL, "C");
    }

    static DecimalCommaLocale* locale_;
    TempDir dir_;
    TestUi ui_;
};

DecimalCommaLocale* DecimalComma::locale_ = nullptr;

} // namespace

TEST_F(DecimalComma, TheLoggingIntervalIsReadWithAPoint) {
    CSettingsStore settings(dir_.File("Tundrix.INI"));
    CVantorCore core(settings, ui_, ui_, ui_);
    struct Case {
        const char* stored;
        double seconds;
    };
    for (Case c : {Case{"2.5", 2.5},
                   {"0.02", 0.02},
                   {"30.0", 30.0},
                   {"  1.25 s", 1.25},
                   {"0", 30.0},
                   {"-1.5", 30.0},
                   {"abc", 30.0},
                   {"2,5", 2.0}}) {
        ASSERT_TRUE(settings.WriteString("LOG", "INTERVAL", c.stored));
        core.LoadLoggingInterval();
        EXPECT_EQ(c.seconds, core.LoggingInterval()) << c.stored;
    }
}

TEST_F(DecimalComma, DecimalTextReadsAndWritesAPoint) {
    EXPECT_EQ("2.5", FormatDecimal(2.5, 1));
    EXPECT_EQ("30.000", FormatDecimal(30.0, 3));
    EXPECT_EQ("-0.02", FormatDecimal(-0.02, 2));
    EXPECT_EQ(0.02, ParseDecimal("0.02"));
    EXPECT_EQ(2.5, ParseDecimal("+2.5"));
    EXPECT_FALSE(ParseDecimal("x2.5"));
    EXPECT_FALSE(ParseDecimal("inf"));
    EXPECT_EQ("     2.5", FormatDecimal(2.5, 1, 8));
    EXPECT_EQ("0.1", FormatGeneral(0.1, 15));
    EXPECT_EQ("120000", FormatGeneral(120000.0, 15));
    EXPECT_EQ("1.5000000", FormatNumber(1.5f, 8));
    EXPECT_EQ("  1.500000K at 0.5", CFormat("%10.6fK at %g", 1.5, 0.5));
    EXPECT_EQ("0.1", FormatShortest(0.1f));
}

TEST_F(DecimalComma, StripChartFieldsShowAPoint) {
    EXPECT_EQ("-5.5", CStripChartScale::FieldText(-5.5));
    EXPECT_EQ("123.456", CStripChartScale::FieldText(123.456789));
}

TEST_F(DecimalComma, SettingsNumbersAreUnchanged) {
    CSettingsStore settings(dir_.File("Tundrix.INI"));
    ASSERT_TRUE(settings.WriteInt("MAINVIEWPOS", "WinLeft", -12345));
    ASSERT_TRUE(settings.WriteString("LOG", "INTERVAL", FormatDecimal(0.5, 1)));
    EXPECT_EQ("[MAINVIEWPOS]\nWinLeft=-12345\n\n[LOG]\nINTERVAL=0.5\n\n",
              ReadFile(dir_.File("Tundrix.INI")));
    CSettingsStore again(dir_.File("Tundrix.INI"));
    again.Load();
    EXPECT_EQ(-12345, again.GetInt("MAINVIEWPOS", "WinLeft", 0));
}

TEST_F(DecimalComma, CurveFilesAreConvertedReadAndWrittenWithAPoint) {
    const std::string in = dir_.File("sensor.340");
    std::ofstream(in)
        << "Sensor Model:   DT-670\r\nSerial Number:  D1\r\n"
           "Data Format:    2      (Volts/Kelvin)\r\n"
           "SetPoint Limit: 500.0\r\nTemperature coefficient:  1 (Negative)\r\n"
           "Number of Breakpoints:   4\r\n\r\nNo.   Units      Temperature (K)\r\n\r\n"
           "  1  0.50000      300.000\r\n  2  1.00000      77.250\r\n"
           "  3  1.25000      20.500\r\n  4  1.50000      4.250";
    CGivenCurveHeader header;
    header.multiplier = 1.5f;
    CGivenFiles files(in, dir_.File("out.crv"));
    ASSERT_EQ(ConvertOutcome::Saved, ConvertCurve(files, header, ui_, ui_)) << ui_.Log();
    EXPECT_EQ("D1\nDiode\n1.5000000\nVolts\n0.5000000000  300.0000000\n"
              "1.000000000  77.25000000\n1.250000000  20.50000000\n1.500000000  4.250000000\n;\n",
              ReadFile(dir_.File("out.crv")));

    SensorCurve curve;
    ASSERT_EQ(CurveRead::Success, ReadCrvFile(dir_.File("out.crv"), curve, ui_));
    EXPECT_EQ(1.5f, curve.multiplier);
    EXPECT_EQ(77.25f, curve.entries[1].temperature);
    float value = 0.0f;
    EXPECT_TRUE(ParseNumber("1.25", value));
    EXPECT_EQ(1.25f, value);
    EXPECT_FALSE(ParseNumber("1,25", value));
}

TEST_F(DecimalComma, FloatResponsesAreReadWithAPoint) {
    // Each query is answered with its own number after the "Q".
    TcpResponder instrument(
        [](const std::string& line) { return line.substr(1, line.size() - 2) + "\r\n"; });
    CSettingsStore settings("");
    CCommLink link(settings, ui_, ui_, ui_);
    link.UseLanAddress(*MyIPAddr::Parse("127.0.0.1"), instrument.Port());
    ASSERT_EQ(1, link.ConnectLAN());
    CGivenFiles file(dir_.File("float.xml"));
    CTransactionMutex mutex;
    TestUi standardOutput;
    CommandFileContext context{link, mutex, ui_, standardOutput, file};
    context.errorLogPath = dir_.File("ErrorLog.txt");
    // Read in the locale, "0.9" would be 0 and pass an expected 0.02; "284.9"
    // would be 284 against 300.0 and "0.93" would be 0 against 0.9.
    WriteFile(dir_.File("float.xml"), "<G><QUERY>Q0.9?</QUERY><FLOATRESPONSE>0.02</FLOATRESPONSE>"
                                      "<QUERY>Q284.9?</QUERY><FLOATRESPONSE>300.0</FLOATRESPONSE>"
                                      "<QUERY>Q0.93?</QUERY><FLOATRESPONSE>0.9</FLOATRESPONSE>"
                                      "<QUERY>Q1,5?</QUERY><FLOATRESPONSE>1.5</FLOATRESPONSE></G>");
    const CommandFileResult result = CCommandFileRunner(context).Run();
    EXPECT_EQ(CommandFileOutcome::Completed, result.outcome);
    EXPECT_EQ("Error:The return string for query \"G: tag 2: Q0.9?\"\n"
              "Received:0.9,Expected:0.02\n"
              "Error:The return string for query \"G: tag 4: Q284.9?\"\n"
              "Received:284.9,Expected:300.0\n"
              "Error:The return string for query \"G: tag 8: Q1,5?\"\n"
              "Received:1,5,Expected:1.5\n"
              "Command language test completed.\n"
              "3 Errors logged in the ErrorLog.txt\n",
              ReadFile(dir_.File("ErrorLog.txt")));
}
