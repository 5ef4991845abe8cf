#include "logging/MonitorTable.h"

int FindMonitor(std::string_view title) {
    for (int i = 0; i < MonitorCount; ++i)
        if (MonitorTable[i].title == title)
            return i;
    return -1;
}

bool SaveMonitorPlacement(CSettingsStore& settings, CMonitorFlags& flags, std::string_view title,
                          const WindowRect& rect) {
    int index = FindMonitor(title);
    if (index < 0)
        return false;
    WriteWindowRect(settings, MonitorTable[index].section, rect);
    flags.Set(index, 0);
    return true;
}
