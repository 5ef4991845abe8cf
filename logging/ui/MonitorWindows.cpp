#include "logging/ui/MonitorWindows.h"

#include "base/SettingsStore.h"
#include "base/WindowRect.h"
#include "base/ui/UiText.h"
#include "base/ui/WindowPlacement.h"
#include "logging/MonitorUpdate.h"
#include "logging/ui/StripChart.h"

CMonitorWindows::CMonitorWindows(CSettingsStore& settings, CMonitorFlags& flags,
                                 IMessageBoxes& boxes, QWidget* parent)
    : settings_(settings), flags_(flags), boxes_(boxes), parent_(parent) {}

CMonitorWindows::~CMonitorWindows() {
    // Before the flags and settings they save into go.
    for (CStripChart*& window : windows_) {
        delete window;
        window = nullptr;
    }
}

void CMonitorWindows::Create() {
    if (windows_[0] != nullptr)
        return;
    QRect previous;
    for (int i = 0; i < MonitorCount; ++i) {
        const MonitorInfo& monitor = MonitorTable[static_cast<std::size_t>(i)];
        auto* window = new CStripChart(boxes_, parent_);
        window->SetPointCount(PointCount);
        window->Create();
        window->setWindowTitle(FromCoreText(monitor.title));
        // An output's unit is always "%"; a channel's comes with its first reading.
        window->SetWaitingTitles(std::string(monitor.title),
                                 monitor.isChannel ? std::string() : std::string("%"));
        window->SetPlacementSaver([this](const QString& title, const WindowRect& rect) {
            SaveMonitorPlacement(settings_, flags_, ToCoreText(title), rect);
        });
        const QRect stored = ToQRect(ReadWindowRect(settings_, monitor.section));
        const QRect place =
            !stored.isEmpty() && IsOnAnyScreen(stored) ? stored : DefaultPlace(i, previous);
        window->setGeometry(place);
        previous = place;
        windows_[static_cast<std::size_t>(i)] = window;
    }
}

QRect CMonitorWindows::DefaultPlace(int index, const QRect& previous) const {
    if (index >= 1 && index <= 7)
        return previous.translated(CascadeStep, CascadeStep);
    return CentredOnScreen(CStripChart::DefaultSize);
}

void CMonitorWindows::Open(int index) {
    CStripChart* window = Window(index);
    if (window == nullptr)
        return;
    flags_.Set(index, 1);
    window->show();
    window->raise();
}

void CMonitorWindows::ShowReading(int index, const MonitorReading& reading) {
    CStripChart* window = Window(index);
    if (window == nullptr)
        return;
    const MonitorUpdate update = PlanMonitorUpdate(window->Unit(), window->Name(), reading);
    if (update.clear)
        window->Clear();
    if (update.retitle) {
        window->SetUnit(reading.unit);
        window->SetName(reading.name);
        window->RebuildChart();
    }
    window->AddPoint(update.value);
}
