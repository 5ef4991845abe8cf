#include "logging/LogFormat.h"

#include <chrono>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>

#include "base/DecimalText.h"
#include "base/SettingsStore.h"

namespace {

// Longer than any query fragment, so a batch never reaches the link's 100 characters.
constexpr std::size_t BatchLimit = 50;

std::string Trim(std::string_view text) {
    constexpr std::string_view Blanks = " \t\r\n";
    const auto first = text.find_first_not_of(Blanks);
    if (first == std::string_view::npos)
        return {};
    return std::string(text.substr(first, text.find_last_not_of(Blanks) - first + 1));
}

// Integers only: "%d" is the same in every locale.
std::string DateTimeText(const std::tm& time) {
    char text[96];
    std::snprintf(text, sizeof text, "%d/%d/%d %d:%d:%d", time.tm_mon + 1, time.tm_mday,
                  time.tm_year + 1900, time.tm_hour, time.tm_min, time.tm_sec);
    return text;
}

} // namespace

std::string IntervalSettingText(double seconds) {
    return FormatDecimal(seconds, 6);
}

double ReadLoggingInterval(const CSettingsStore& settings) {
    // A number followed by more text counts as that number, as strtod reads it.
    const std::optional<double> seconds =
        ParseDecimal(Trim(settings.GetString("LOG", "INTERVAL", "30.0")));
    if (!seconds || *seconds <= 0)
        return DefaultLoggingInterval;
    return *seconds;
}

std::string IntervalFieldText(double seconds) {
    return FormatGeneral(seconds, 15);
}

std::string ParseLoggingInterval(std::string_view text, double& seconds) {
    const std::string trimmed = Trim(text);
    std::string_view digits = trimmed;
    if (digits.size() > 1 && digits[0] == '+' && digits[1] != '-')
        digits.remove_prefix(1);
    double value = 0.0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || end != digits.data() + digits.size() ||
        (error != std::errc{} && error != std::errc::result_out_of_range))
        return "Enter a number.";
    if (error == std::errc::result_out_of_range || !(value >= MinLoggingInterval) ||
        !(value <= MaxLoggingInterval))
        return "Enter a number between " + IntervalFieldText(MinLoggingInterval) + " and " +
               IntervalFieldText(MaxLoggingInterval) + ".";
    seconds = value;
    return {};
}

std::chrono::milliseconds LoggingTimerPeriod(double seconds) {
    return std::chrono::milliseconds(static_cast<long long>(seconds * 1000.0));
}

std::vector<SampleBatch> SampleBatches(const LogSourceFlags& sources) {
    std::vector<SampleBatch> batches;
    std::string command;
    for (int i = 0; i < LogSourceCount; ++i) {
        if (command.size() > BatchLimit) {
            batches.push_back({command, true});
            command.clear();
        }
        if (sources.test(static_cast<std::size_t>(i))) {
            if (!command.empty())
                command += ':';
            command += LogSources[static_cast<std::size_t>(i)].fragment;
        }
    }
    if (!command.empty())
        batches.push_back({command, false});
    return batches;
}

std::string BuildRow(std::string_view timeOfDay, std::string_view collected) {
    std::string row;
    row.reserve(timeOfDay.size() + collected.size() + 2);
    row.append(timeOfDay);
    row += ',';
    row.append(collected);
    std::string cleaned;
    cleaned.reserve(row.size() + 1);
    for (char c : row) {
        if (c == '\r' || c == '\n')
            continue;
        cleaned += c == ';' ? ',' : c;
    }
    cleaned += '\n';
    return cleaned;
}

std::tm LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return local;
}

std::string TimeOfDayField(const std::tm& time) {
    char text[48];
    std::snprintf(text, sizeof text, "%d:%d:%d", time.tm_hour, time.tm_min, time.tm_sec);
    return text;
}

std::string PreciseTimeField(const std::tm& time, int milliseconds) {
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", time.tm_year + 1900,
                  time.tm_mon + 1, time.tm_mday, time.tm_hour, time.tm_min, time.tm_sec,
                  milliseconds);
    return text;
}

std::string RowTimeField(bool precise) {
    if (!precise)
        return TimeOfDayField(LocalNow());
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    const auto since = now - system_clock::from_time_t(seconds);
    // to_time_t may round up: the milliseconds are then those of the second before.
    const long long milliseconds = duration_cast<std::chrono::milliseconds>(since).count();
    std::tm local{};
    const std::time_t shown = milliseconds < 0 ? seconds - 1 : seconds;
    ::localtime_r(&shown, &local);
    return PreciseTimeField(
        local, static_cast<int>(milliseconds < 0 ? milliseconds + 1000 : milliseconds));
}

std::string StartedLine(const std::tm& time) {
    return "Data logging started at " + DateTimeText(time) + "\n";
}

std::string TerminatedLine(const std::tm& time) {
    return "Data logging terminated at " + DateTimeText(time) + " \n";
}

std::string EntriesLine(int entries) {
    return "Number of entries = " + std::to_string(entries) + "\n";
}

std::string ChannelNameLine(std::string_view prefix, std::string_view reply) {
    const auto semicolon = reply.find(';');
    const std::string_view name =
        semicolon == std::string_view::npos ? std::string_view() : reply.substr(0, semicolon);
    const std::string_view unit =
        semicolon == std::string_view::npos ? reply : reply.substr(semicolon + 1);
    std::string line(prefix);
    line += " name:";
    line += name;
    line += ",unit:";
    line += unit;
    line += '\n';
    return line;
}

std::string OutputNameLine(std::string_view prefix, std::string_view reply) {
    std::string line(prefix);
    line += " name:";
    line += reply;
    line += '\n';
    return line;
}

std::string SamplingIntervalLine(double seconds) {
    return "Sampling interval:" + FormatDecimal(seconds, 1, 8) + " seconds\n";
}

std::string ColumnTitleLine(const LogSourceFlags& sources) {
    std::string line = "Entry Number";
    for (int i = 0; i < LogSourceCount; ++i)
        if (sources.test(static_cast<std::size_t>(i)))
            line += LogSources[static_cast<std::size_t>(i)].columns;
    line += '\n';
    return line;
}

std::string ToFileText(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size() + text.size() / 16 + 2);
    for (char c : text) {
        if (c == '\n')
            bytes += '\r';
        bytes += c;
    }
    return bytes;
}

std::chrono::system_clock::time_point RowFieldTime(std::string_view field, bool precise,
                                                   std::chrono::system_clock::time_point now) {
    using namespace std::chrono;
    const std::string text(field);
    std::tm time{};
    int milliseconds = 0;
    const std::time_t nowSeconds = system_clock::to_time_t(now);
    if (precise) {
        std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d.%d", &time.tm_year, &time.tm_mon,
                    &time.tm_mday, &time.tm_hour, &time.tm_min, &time.tm_sec, &milliseconds);
        time.tm_year -= 1900;
        time.tm_mon -= 1;
    } else {
        ::localtime_r(&nowSeconds, &time);
        std::sscanf(text.c_str(), "%d:%d:%d", &time.tm_hour, &time.tm_min, &time.tm_sec);
    }
    time.tm_isdst = -1;
    std::time_t seconds = std::mktime(&time);
    if (!precise && seconds > nowSeconds + 60) {
        time.tm_mday -= 1;
        time.tm_isdst = -1;
        seconds = std::mktime(&time);
    }
    return system_clock::from_time_t(seconds) + std::chrono::milliseconds(milliseconds);
}
