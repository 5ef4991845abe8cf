#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class CFeatureTable;

// The sixteen quantities a data logging run can record: eight input channels,
// four control outputs and four loop set points. The index is the bit of the
// setup dialog's selection mask and the order of the queries and the columns.
inline constexpr int LogSourceCount = 16;

using LogSourceFlags = std::bitset<LogSourceCount>;

struct LogSource {
    std::string_view text;       // the progress dialog's Source text, "Channel A"
    std::string_view checkText;  // the setup dialog's check box, "Loop 1 Setpoint"
    std::string_view fragment;   // the sample's query, "INP A:TEMP?;"
    std::string_view columns;    // the column title(s), each after a ",": ",Heater 1,RANGE"
    std::string_view namePrefix; // "INP A" or "LOOP 1" for the header's name query; "" for none
    bool isChannel;              // a channel's name query also asks for its unit
    std::string_view cliName;    // how tundrix-cli names it: "A", "Heater1", "Loop1"
};

inline constexpr std::array<LogSource, LogSourceCount> LogSources{{
    {"Channel A", "Channel A", "INP A:TEMP?;", ",Channel A", "INP A", true, "A"},
    {"Channel B", "Channel B", "INP B:TEMP?;", ",Channel B", "INP B", true, "B"},
    {"Channel C", "Channel C", "INP C:TEMP?;", ",Channel C", "INP C", true, "C"},
    {"Channel D", "Channel D", "INP D:TEMP?;", ",Channel D", "INP D", true, "D"},
    {"Channel E", "Channel E", "INP E:TEMP?;", ",Channel E", "INP E", true, "E"},
    {"Channel F", "Channel F", "INP F:TEMP?;", ",Channel F", "INP F", true, "F"},
    {"Channel G", "Channel G", "INP G:TEMP?;", ",Channel G", "INP G", true, "G"},
    {"Channel H", "Channel H", "INP H:TEMP?;", ",Channel H", "INP H", true, "H"},
    {"Heater1", "Heater 1", "LOOP 1:OUTP?;RANGE?;", ",Heater 1,RANGE", "LOOP 1", false, "Heater1"},
    {"Heater2", "Heater 2", "LOOP 2:OUTP?;RANGE?;", ",Heater 2,RANGE", "LOOP 2", false, "Heater2"},
    {"Analog1", "Analog 1", "LOOP 3:OUTP?;", ",Analog 1", "LOOP 3", false, "Analog1"},
    {"Analog2", "Analog 2", "LOOP 4:OUTP?;", ",Analog 2", "LOOP 4", false, "Analog2"},
    {"Loop1 Setpoint", "Loop 1 Setpoint", "LOOP 1:SETPT?;", ",Loop1 Setpoint", "", false, "Loop1"},
    {"Loop2 Setpoint", "Loop 2 Setpoint", "LOOP 2:SETPT?;", ",Loop2 Setpoint", "", false, "Loop2"},
    {"Loop3 Setpoint", "Loop 3 Setpoint", "LOOP 3:SETPT?;", ",Loop3 Setpoint", "", false, "Loop3"},
    {"Loop4 Setpoint", "Loop 4 Setpoint", "LOOP 4:SETPT?;", ",Loop4 Setpoint", "", false, "Loop4"},
}};

// The progress dialog lists the sources in three groups of slots: channels in
// Sources 1-8, outputs in 9-12, set points in 13-16.
inline constexpr std::array<int, 3> LogSourceGroupStart{0, 8, 12};
int LogSourceGroupOf(int index);

// Whether the instrument in the feature table has source `index`: a selected
// source it lacks is not recorded.
bool IsSourceRecorded(int index, const CFeatureTable& features);

// The setup dialog's enable flags, one per source: which check boxes the user
// may tick on this instrument.
std::array<int, LogSourceCount> SourceEnableFlags(const CFeatureTable& features);

// The source tundrix-cli names so (case-insensitive), or nothing.
std::optional<int> FindLogSource(std::string_view cliName);

// A comma-separated list of the names FindLogSource knows ("A,B,Heater1") as
// bits of the setup dialog's mask; "all" is every source the instrument
// offers, as "Select All" ticks them. Nothing, and `error` says why, for an
// unknown name, a source the instrument lacks or a list that names none.
std::optional<std::uint16_t> ParseLogSources(const std::string& list,
                                             const std::array<int, LogSourceCount>& enabled,
                                             std::string& error);
