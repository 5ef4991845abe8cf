#pragma once

#include <QRect>
#include <array>

#include "logging/MonitorTable.h"
#include "logging/WorkerEvents.h"

class CSettingsStore;
class CStripChart;
class IMessageBoxes;
class QWidget;

// The twelve channel monitors: one strip chart window each, in the order of
// MonitorTable, created hidden with their titles at their remembered places.
// Opening one sets its open flag, which the monitor worker polls by; closing
// it remembers its place and clears the flag. Used on the GUI thread only.
class CMonitorWindows {
public:
    static constexpr unsigned PointCount = 100;
    // Channels B..H without a stored place: the previous channel's moved by this much.
    static constexpr int CascadeStep = 10;

    CMonitorWindows(CSettingsStore& settings, CMonitorFlags& flags, IMessageBoxes& boxes,
                    QWidget* parent);
    ~CMonitorWindows();
    CMonitorWindows(const CMonitorWindows&) = delete;
    CMonitorWindows& operator=(const CMonitorWindows&) = delete;

    // Creates the twelve windows, hidden, each at the rectangle stored in its
    // section; without one (or with one on no screen any more), Channel A and
    // the outputs are centred and Channels B..H cascade from Channel A.
    void Create();
    // Null before Create.
    CStripChart* Window(int index) const { return windows_.at(static_cast<std::size_t>(index)); }

    // The View menu's item: open flag set, window shown.
    void Open(int index);
    // UM_MONITOR_READING + index: a new unit clears the window, a new unit or
    // name retitles it, and the value is added as a point.
    void ShowReading(int index, const MonitorReading& reading);

private:
    QRect DefaultPlace(int index, const QRect& previous) const;

    CSettingsStore& settings_;
    CMonitorFlags& flags_;
    IMessageBoxes& boxes_;
    QWidget* parent_;
    std::array<CStripChart*, MonitorCount> windows_{};
};
