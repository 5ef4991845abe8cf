#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "base/DecimalText.h"
#include "base/SettingsStore.h"
#include "comm/FeatureTable.h"
#include "logging/LogFormat.h"
#include "logging/LogSources.h"
#include "support/NoFeatureListener.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

using namespace std::chrono_literals;

namespace {

LogSourceFlags Flags(std::initializer_list<int> indexes) {
    LogSourceFlags flags;
    for (int i : indexes)
        flags.set(static_cast<std::size_t>(i));
    return flags;
}

std::vector<std::string> Commands(const std::vector<SampleBatch>& batches) {
    std::vector<std::string> commands;
    for (const auto& batch : batches)
        commands.push_back(batch.command + (batch.semicolonAfter ? " +;" : ""));
    return commands;
}

unsigned EnableMask(int modelCode) {
    NoListener listener;
    CFeatureTable features(listener);
    features.ApplyModel(modelCode);
    unsigned mask = 0;
    const auto flags = SourceEnableFlags(features);
    for (int i = 0; i < LogSourceCount; ++i)
        if (flags[static_cast<std::size_t>(i)] != 0)
            mask |= 1u << i;
    return mask;
}

} // namespace

TEST(SampleBatches, SixteenSourcesGoOutInFiveLinesOfAtMost64Characters) {
    EXPECT_EQ((std::vector<std::string>{
                  "INP A:TEMP?;:INP B:TEMP?;:INP C:TEMP?;:INP D:TEMP?; +;",
                  "INP E:TEMP?;:INP F:TEMP?;:INP G:TEMP?;:INP H:TEMP?; +;",
                  "LOOP 1:OUTP?;RANGE?;:LOOP 2:OUTP?;RANGE?;:LOOP 3:OUTP?; +;",
                  "LOOP 4:OUTP?;:LOOP 1:SETPT?;:LOOP 2:SETPT?;:LOOP 3:SETPT?; +;",
                  "LOOP 4:SETPT?;",
              }),
              Commands(SampleBatches(LogSourceFlags().set())));

    EXPECT_EQ(std::vector<std::string>{"INP A:TEMP?;:INP B:TEMP?;:LOOP 1:OUTP?;RANGE?;"},
              Commands(SampleBatches(Flags({0, 1, 8}))));
    // Without source 15 the last batch goes out at index 15 and nothing is left.
    EXPECT_EQ((std::vector<std::string>{"LOOP 4:OUTP?;:LOOP 1:SETPT?;:LOOP 2:SETPT?;:LOOP "
                                        "3:SETPT?; +;"}),
              Commands(SampleBatches(Flags({11, 12, 13, 14}))));
    EXPECT_TRUE(SampleBatches(LogSourceFlags()).empty());
}

TEST(SampleRow, LineEndsVanishAndSemicolonsBecomeCommas) {
    EXPECT_EQ("9:5:7,77.1,4.2,45.20,1\n", BuildRow("9:5:7", "77.1;4.2\r\n;45.20;1\r\n"));
    EXPECT_EQ("9:5:7,1,2,3,\n", BuildRow("9:5:7", "1\r;2\n\n;3\r\n;"));
    EXPECT_EQ("0:0:0,\n", BuildRow("0:0:0", ""));
}

TEST(LogHeader, LinesAreWrittenAsTheFormatSays) {
    EXPECT_EQ("INP A name:Cold stage,unit:K\r\n\n", ChannelNameLine("INP A", "Cold stage;K\r\n"));
    EXPECT_EQ("INP H name:a,unit:b;c\n", ChannelNameLine("INP H", "a;b;c"));
    EXPECT_EQ("INP B name:,unit:K\n", ChannelNameLine("INP B", "K"));
    EXPECT_EQ("INP C name:,unit:\n", ChannelNameLine("INP C", ""));
    EXPECT_EQ("LOOP 3 name:Analog 1\r\n\n", OutputNameLine("LOOP 3", "Analog 1\r\n"));
    EXPECT_EQ("Sampling interval:    30.0 seconds\n", SamplingIntervalLine(30.0));
    EXPECT_EQ("Sampling interval:     0.1 seconds\n", SamplingIntervalLine(0.1));
    EXPECT_EQ("Sampling interval:120000.0 seconds\n", SamplingIntervalLine(120000.0));
    EXPECT_EQ("Entry Number,Channel A,Channel B,Heater 1,RANGE\n",
              ColumnTitleLine(Flags({0, 1, 8})));
    EXPECT_EQ("Entry Number,Heater 2,RANGE,Analog 1,Analog 2,Loop1 Setpoint,Loop4 Setpoint\n",
              ColumnTitleLine(Flags({9, 10, 11, 12, 15})));
    EXPECT_EQ("Number of entries = 3000\n", EntriesLine(3000));

    std::tm time{};
    time.tm_year = 2026 - 1900;
    time.tm_mon = 2;
    time.tm_mday = 7;
    time.tm_hour = 9;
    time.tm_min = 5;
    time.tm_sec = 3;
    EXPECT_EQ("9:5:3", TimeOfDayField(time));
    EXPECT_EQ("2026-03-07 09:05:03.000", PreciseTimeField(time, 0));
    EXPECT_EQ("2026-03-07 09:05:03.047", PreciseTimeField(time, 47));
    EXPECT_EQ("2026-03-07 09:05:03.999", PreciseTimeField(time, 999));
    EXPECT_EQ("Data logging started at 3/7/2026 9:5:3\n", StartedLine(time));
    time.tm_mon = 11;
    time.tm_mday = 31;
    time.tm_hour = 23;
    time.tm_min = 59;
    time.tm_sec = 59;
    EXPECT_EQ("Data logging terminated at 12/31/2026 23:59:59 \n", TerminatedLine(time));

    EXPECT_EQ("a\r\nb\r\r\n\r\n", ToFileText("a\nb\r\n\n"));
}

TEST(LogNumbers, FixedNotationMatchesPrintfInTheCLocale) {
    for (double value : {0.0, 0.05, 0.1, 0.15, 0.25, 2.5, 30.0, 99.95, 1234.5678, 120000.0}) {
        char expected[64];
        std::snprintf(expected, sizeof expected, "%8.1lf", value);
        EXPECT_EQ(expected, FormatDecimal(value, 1, 8)) << value;
        std::snprintf(expected, sizeof expected, "%f", value);
        EXPECT_EQ(expected, IntervalSettingText(value)) << value;
    }
}

TEST(LogInterval, TheFieldAcceptsExactlyPointOneTo120000) {
    double seconds = -1;
    EXPECT_EQ("", ParseLoggingInterval("0.1", seconds));
    EXPECT_DOUBLE_EQ(0.1, seconds);
    EXPECT_EQ("", ParseLoggingInterval(" 120000 ", seconds));
    EXPECT_DOUBLE_EQ(120000, seconds);
    EXPECT_EQ("", ParseLoggingInterval("1e2", seconds));
    EXPECT_DOUBLE_EQ(100, seconds);
    EXPECT_EQ("", ParseLoggingInterval("+2.5", seconds));
    EXPECT_DOUBLE_EQ(2.5, seconds);

    const std::string range = "Enter a number between 0.1 and 120000.";
    for (const char* refused : {"0.09", "120001", "0", "-1", "1e999", "1e-999", "nan", "inf"}) {
        seconds = -1;
        EXPECT_EQ(range, ParseLoggingInterval(refused, seconds)) << refused;
        EXPECT_DOUBLE_EQ(-1, seconds) << "kept on refusal";
    }
    for (const char* refused : {"", "abc", "5x", "0,5", "+-1", "1 2"})
        EXPECT_EQ("Enter a number.", ParseLoggingInterval(refused, seconds)) << refused;

    EXPECT_EQ("30", IntervalFieldText(30.0));
    EXPECT_EQ("0.1", IntervalFieldText(0.1));
    EXPECT_EQ("120000", IntervalFieldText(120000.0));
    EXPECT_EQ(100ms, LoggingTimerPeriod(0.1));
    EXPECT_EQ(2500ms, LoggingTimerPeriod(2.5));
    EXPECT_EQ(120000000ms, LoggingTimerPeriod(120000.0));
}

// The user's locale may write a decimal comma; the file and the settings never do.
TEST(LogNumbers, ADecimalCommaLocaleChangesNothing) {
    TempDir dir;
    const std::string locale = dir.File("de_DE.UTF-8");
    const auto made =
        RunProgram("/usr/bin/localedef", {"-c", "-i", "de_DE", "-f", "UTF-8", locale});
    if (!std::filesystem::exists(locale))
        GTEST_SKIP() << "no de_DE locale could be made (package locales): " << made.err;
    ::setenv("LOCPATH", dir.Path().c_str(), 1);
    ASSERT_NE(nullptr, std::setlocale(LC_NUMERIC, "de_DE.UTF-8"));
    char probe[32];
    std::snprintf(probe, sizeof probe, "%.1f", 0.5);
    EXPECT_STREQ("0,5", probe) << "the locale is in force";

    EXPECT_EQ("0.500000", IntervalSettingText(0.5));
    EXPECT_EQ("Sampling interval:     0.5 seconds\n", SamplingIntervalLine(0.5));
    double seconds = 0;
    EXPECT_EQ("", ParseLoggingInterval("0.5", seconds));
    EXPECT_DOUBLE_EQ(0.5, seconds);
    CSettingsStore settings("");
    settings.WriteString("LOG", "INTERVAL", "0.500000");
    EXPECT_DOUBLE_EQ(0.5, ReadLoggingInterval(settings));

    std::setlocale(LC_NUMERIC, "C");
    ::unsetenv("LOCPATH");
}

TEST(LogInterval, TheStoredIntervalFallsBackToThirtySeconds) {
    CSettingsStore settings("");
    EXPECT_DOUBLE_EQ(30.0, ReadLoggingInterval(settings));
    for (const auto& [text, seconds] :
         std::vector<std::pair<const char*, double>>{{"2.5", 2.5},
                                                     {" 0.100000", 0.1},
                                                     {"15sec", 15.0},
                                                     {"0", 30.0},
                                                     {"-3", 30.0},
                                                     {"abc", 30.0},
                                                     {"nan", 30.0},
                                                     {"", 30.0}}) {
        settings.WriteString("LOG", "INTERVAL", text);
        EXPECT_DOUBLE_EQ(seconds, ReadLoggingInterval(settings)) << text;
    }
}

TEST(LogSources, EachModelOffersTheSourcesItHas) {
    EXPECT_EQ(0x770Fu, EnableMask(27)); // A-D; heaters, analog 1, set points 1-3
    EXPECT_EQ(0xFF0Fu, EnableMask(28));
    EXPECT_EQ(0xFF0Fu, EnableMask(34));
    EXPECT_EQ(0x00FFu, EnableMask(29)); // A-H, no loops
    EXPECT_EQ(0x00FFu, EnableMask(35));
    EXPECT_EQ(0x000Fu, EnableMask(30));
    EXPECT_EQ(0x0003u, EnableMask(31));
    EXPECT_EQ(0xFF03u, EnableMask(32));
    EXPECT_EQ(0x0000u, EnableMask(33)); // not recognised: nothing
    EXPECT_EQ(0x0000u, EnableMask(0));

    NoListener listener;
    CFeatureTable features(listener);
    features.ApplyModel(30);
    for (int i = 4; i < LogSourceCount; ++i)
        EXPECT_FALSE(IsSourceRecorded(i, features)) << i;
    features.ApplyModel(28);
    EXPECT_FALSE(IsSourceRecorded(4, features));
    EXPECT_TRUE(IsSourceRecorded(15, features));
}

TEST(LogSources, TheCommandLineNamesThemAsTheSetupDialogDoes) {
    EXPECT_EQ(0, FindLogSource("A"));
    EXPECT_EQ(7, FindLogSource("h"));
    EXPECT_EQ(8, FindLogSource("Heater1"));
    EXPECT_EQ(11, FindLogSource("ANALOG2"));
    EXPECT_EQ(12, FindLogSource("Loop1"));
    EXPECT_EQ(15, FindLogSource("loop4"));
    for (const char* unknown : {"", "I", "Heater3", "Loop 1", "Channel A"})
        EXPECT_FALSE(FindLogSource(unknown)) << unknown;
    EXPECT_EQ(2, LogSourceGroupOf(12));
    EXPECT_EQ(1, LogSourceGroupOf(11));
    EXPECT_EQ(0, LogSourceGroupOf(7));
}

namespace {

// A local date and time as a clock's time point.
std::chrono::system_clock::time_point LocalTime(int year, int month, int day, int hour, int minute,
                                                int second) {
    std::tm time{};
    time.tm_year = year - 1900;
    time.tm_mon = month - 1;
    time.tm_mday = day;
    time.tm_hour = hour;
    time.tm_min = minute;
    time.tm_sec = second;
    time.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&time));
}

} // namespace

TEST(LogRowTime, AFieldIsTheTimeItStandsForAcrossMidnight) {
    using std::chrono::milliseconds;
    const struct {
        const char* field;
        bool precise;
        std::chrono::system_clock::time_point now;
        std::chrono::system_clock::time_point expected;
    } cases[] = {
        {"2026-03-07 09:05:03.047", true, LocalTime(2026, 3, 9, 1, 0, 0),
         LocalTime(2026, 3, 7, 9, 5, 3) + milliseconds(47)},
        {"9:5:3", false, LocalTime(2026, 3, 7, 10, 0, 0), LocalTime(2026, 3, 7, 9, 5, 3)},
        // Taken just before midnight, handed on just after it.
        {"23:59:59", false, LocalTime(2026, 3, 8, 0, 0, 1), LocalTime(2026, 3, 7, 23, 59, 59)},
        {"0:0:0", false, LocalTime(2026, 1, 1, 0, 0, 0), LocalTime(2026, 1, 1, 0, 0, 0)},
        // A field a little ahead of the clock is today's, not yesterday's.
        {"12:0:30", false, LocalTime(2026, 3, 8, 12, 0, 0), LocalTime(2026, 3, 8, 12, 0, 30)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, RowFieldTime(c.field, c.precise, c.now)) << c.field;
}
