#include "logging/MonitorTable.h"

#include <cctype>
#include <string>

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

namespace {

// The name without blanks, in upper case.
std::string Folded(std::string_view name) {
    std::string folded;
    for (char c : name)
        if (c != ' ' && c != '\t')
            folded += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return folded;
}

} // namespace

int MonitorIndexByName(std::string_view name) {
    static constexpr const char* Names[MonitorCount] = {
        "A", "B", "C", "D", "E", "F", "G", "H", "HEATER1", "HEATER2", "ANALOG1", "ANALOG2"};
    std::string folded = Folded(name);
    if (folded.size() == 3 && folded.starts_with("CH"))
        folded.erase(0, 2);
    for (int i = 0; i < MonitorCount; ++i)
        if (folded == Names[i])
            return i;
    return -1;
}
