#pragma once

#include <chrono>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "logging/LogSources.h"

class CSettingsStore;

// The texts of a data log file and of the logging interval. Every number is
// written with "." whatever the user's locale, so that the file and the
// settings read the same on every machine.

// The interval limits of the setup dialog, in seconds.
inline constexpr double MinLoggingInterval = 0.1;
inline constexpr double MaxLoggingInterval = 120000.0;
inline constexpr double DefaultLoggingInterval = 30.0;

// The interval as the settings store keeps it under "LOG"/"INTERVAL" ("%f").
std::string IntervalSettingText(double seconds);
// "LOG"/"INTERVAL", default "30.0". A zero, negative or unreadable value gives
// the default: the monitor worker divides its wait by it.
double ReadLoggingInterval(const CSettingsStore& settings);
// The interval as the setup dialog's field shows it: "30", "0.1", "2.5".
std::string IntervalFieldText(double seconds);
// The setup dialog's check of its "Interval :" field: "" and the value, or the
// message for the user ("Enter a number.", "Enter a number between 0.1 and 120000.").
std::string ParseLoggingInterval(std::string_view text, double& seconds);

// The logging timer's period: interval x 1000 ms, truncated.
std::chrono::milliseconds LoggingTimerPeriod(double seconds);

// One transaction of a sample: a batch of chained queries, and whether the
// collected text gets a ";" after its reply (every batch but the one sent
// after the last source).
struct SampleBatch {
    std::string command;
    bool semicolonAfter = false;
};

// A sample's queries in the order they are sent: a batch goes out as soon as
// it is longer than 50 characters, before the next query is added; what is
// left after source 15 goes last. Later queries of a batch follow a ":".
std::vector<SampleBatch> SampleBatches(const LogSourceFlags& sources);

// A sample's row: the time of day, ",", the collected replies; every ";"
// becomes ",", every CR and LF is dropped, and one line feed ends it.
std::string BuildRow(std::string_view timeOfDay, std::string_view collected);

// The local time now, broken down.
std::tm LocalNow();
// "%d:%d:%d": hour, minute, second without leading zeros.
std::string TimeOfDayField(const std::tm& time);
// "YYYY-MM-DD HH:MM:SS.mmm": "Log Date and Milliseconds", a time a plot can use.
std::string PreciseTimeField(const std::tm& time, int milliseconds);
// A row's first field now: the precise time, or the time of day as the
// instrument's own utility writes it.
std::string RowTimeField(bool precise);
// The time a row's first field stands for: "YYYY-MM-DD HH:MM:SS.mmm" as it
// says, or "H:M:S" on the day of `now` (the day before when that lies more than
// a minute after `now`: a row taken just before midnight).
std::chrono::system_clock::time_point RowFieldTime(std::string_view field, bool precise,
                                                   std::chrono::system_clock::time_point now);
// "Data logging started at %d/%d/%d %d:%d:%d\n" (month, day, year, time).
std::string StartedLine(const std::tm& time);
// "Data logging terminated at %d/%d/%d %d:%d:%d \n", with its blank before the line end.
std::string TerminatedLine(const std::tm& time);
// "Number of entries = %d\n".
std::string EntriesLine(int entries);
inline constexpr std::string_view ExitLine = "Exit due to Communication Error.\n";

// The header's name lines, the replies written as received:
// "INP A name:%s,unit:%s\n" splits a channel's reply at its first ";".
std::string ChannelNameLine(std::string_view prefix, std::string_view reply);
// "LOOP 1 name:%s\n".
std::string OutputNameLine(std::string_view prefix, std::string_view reply);
// "Sampling interval:%8.1lf seconds\n".
std::string SamplingIntervalLine(double seconds);
// "Entry Number" and the column titles of the recorded sources, "\n".
std::string ColumnTitleLine(const LogSourceFlags& sources);

// The file's bytes for a text: every line feed is stored as CR LF.
std::string ToFileText(std::string_view text);
