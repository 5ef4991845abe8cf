#pragma once

#include <array>
#include <atomic>
#include <string_view>

#include "app/WindowRect.h"

class CSettingsStore;

// The twelve monitor windows: title, placement section, and (by index) the
// monitor-open flag. The order is the order of the View menu and of the
// monitor messages.
struct MonitorInfo {
    std::string_view title;
    std::string_view section;
};

inline constexpr int MonitorCount = 12;

inline constexpr std::array<MonitorInfo, MonitorCount> MonitorTable{{
    {"Channel A", "CHAPOS"},
    {"Channel B", "CHBPOS"},
    {"Channel C", "CHCPOS"},
    {"Channel D", "CHDPOS"},
    {"Channel E", "CHEPOS"},
    {"Channel F", "CHFPOS"},
    {"Channel G", "CHGPOS"},
    {"Channel H", "CHHPOS"},
    {"Heater 1", "HTRPOS"},
    {"Heater 2", "HTR2POS"},
    {"Analog 1", "ANAPOS"},
    {"Analog 2", "ANA2POS"},
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

// Index of the monitor with this exact title, or -1.
int FindMonitor(std::string_view title);

// Stores the rectangle in the section tied to the title and clears that
// monitor's open flag. A title that matches none of the twelve is ignored
// (returns false). The results of the placement writes are not reported.
bool SaveMonitorPlacement(CSettingsStore& settings, CMonitorFlags& flags, std::string_view title,
                          const WindowRect& rect);
