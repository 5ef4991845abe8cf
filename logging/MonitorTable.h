#pragma once

#include <array>
#include <atomic>
#include <string_view>

#include "base/WindowRect.h"

class CSettingsStore;

// The twelve monitor windows: title, placement section, and (by index) the
// monitor-open flag. The order is the order of the View menu and of the
// monitor messages.
struct MonitorInfo {
    std::string_view title;
    std::string_view section;
    std::string_view menuText;
    std::string_view query; // sent exactly so: the output queries have no ";" before "NAME?"
    bool isChannel;         // a channel's reply carries its unit; an output's unit is "%"
};

inline constexpr int MonitorCount = 12;

inline constexpr std::array<MonitorInfo, MonitorCount> MonitorTable{{
    {"Channel A", "CHAPOS", "CH A Monitor", "INP A:TEMP?;UNIT?;NAME?;", true},
    {"Channel B", "CHBPOS", "CH B Monitor", "INP B:TEMP?;UNIT?;NAME?;", true},
    {"Channel C", "CHCPOS", "CH C Monitor", "INP C:TEMP?;UNIT?;NAME?;", true},
    {"Channel D", "CHDPOS", "CH D Monitor", "INP D:TEMP?;UNIT?;NAME?;", true},
    {"Channel E", "CHEPOS", "CH E Monitor", "INP E:TEMP?;UNIT?;NAME?;", true},
    {"Channel F", "CHFPOS", "CH F Monitor", "INP F:TEMP?;UNIT?;NAME?;", true},
    {"Channel G", "CHGPOS", "CH G Monitor", "INP G:TEMP?;UNIT?;NAME?;", true},
    {"Channel H", "CHHPOS", "CH H Monitor", "INP H:TEMP?;UNIT?;NAME?;", true},
    {"Heater 1", "HTRPOS", "Heater 1  Monitor", "LOOP 1:HTRR?NAME?;", false},
    {"Heater 2", "HTR2POS", "Heater 2 Monitor", "LOOP 2:HTRR?NAME?;", false},
    {"Analog 1", "ANAPOS", "Analog 1 Monitor", "LOOP 3:OUTP?NAME?;", false},
    {"Analog 2", "ANA2POS", "Analog 2 Monitor", "LOOP 4:OUTP?NAME?;", false},
}};

// The program-wide monitor-open flags (1 = the monitor window is shown). Written
// by the GUI thread, read by the enabling rules and the workers.
class CMonitorFlags {
public:
    int Get(int index) const { return flags_.at(index).load(); }
    void Set(int index, int value) { flags_.at(index).store(value); }
    void ClearAll() {
        for (auto& f : flags_)
            f.store(0);
    }
    bool AnyOpen() const {
        for (const auto& f : flags_)
            if (f.load() != 0)
                return true;
        return false;
    }

private:
    std::array<std::atomic<int>, MonitorCount> flags_{};
};

// "A".."H", "Heater1", "Heater2", "Analog1", "Analog2" (any case, blanks
// ignored, so "Heater 1" and "CH A" do too); the monitor's index, or -1.
int MonitorIndexByName(std::string_view name);

// Index of the monitor with this exact title, or -1.
int FindMonitor(std::string_view title);

// Stores the rectangle in the section tied to the title and clears that
// monitor's open flag. A title that matches none of the twelve is ignored
// (returns false). The results of the placement writes are not reported.
bool SaveMonitorPlacement(CSettingsStore& settings, CMonitorFlags& flags, std::string_view title,
                          const WindowRect& rect);
