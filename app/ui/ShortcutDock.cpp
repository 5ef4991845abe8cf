#include "app/ui/ShortcutDock.h"

#include <QMainWindow>
#include <QScrollArea>
#include <QScrollBar>

#include "base/SettingsStore.h"
#include "base/WindowRect.h"
#include "base/ui/WindowPlacement.h"

CShortcutDock::CShortcutDock(CSettingsStore& settings, QWidget* bar, QMainWindow* frame)
    : QDockWidget(bar->windowTitle()), settings_(settings), frame_(frame) {
    setObjectName(QStringLiteral("ShortcutDock"));
    // The bar keeps its size; in a main window shorter than the bar it
    // scrolls, rather than holding the window at the bar's height.
    auto* scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidget(bar);
    scroll->setMinimumWidth(bar->sizeHint().width() +
                            scroll->verticalScrollBar()->sizeHint().width());
    setWidget(scroll);
    setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    setFeatures(DockWidgetClosable | DockWidgetMovable | DockWidgetFloatable);

    const int storedArea = settings_.GetInt(PlacementSection, "DockArea", Qt::RightDockWidgetArea);
    const Qt::DockWidgetArea area =
        storedArea == Qt::LeftDockWidgetArea ? Qt::LeftDockWidgetArea : Qt::RightDockWidgetArea;
    const bool floating =
        frame_ == nullptr || settings_.GetInt(PlacementSection, "Floating", 0) != 0;
    if (frame_ != nullptr)
        frame_->addDockWidget(area, this);
    if (floating) {
        setFloating(true);
        const QRect stored = ToQRect(ReadWindowRect(settings_, PlacementSection));
        if (!stored.isEmpty() && IsOnAnyScreen(stored))
            setGeometry(stored);
    }

    connect(this, &QDockWidget::topLevelChanged, this, [this] { SavePlace(); });
    connect(this, &QDockWidget::dockLocationChanged, this, [this] { SavePlace(); });
}

void CShortcutDock::SavePlace() {
    settings_.WriteInt(PlacementSection, "Floating", isFloating() ? 1 : 0);
    if (frame_ != nullptr && !isFloating()) {
        const Qt::DockWidgetArea area = frame_->dockWidgetArea(this);
        if (area == Qt::LeftDockWidgetArea || area == Qt::RightDockWidgetArea)
            settings_.WriteInt(PlacementSection, "DockArea", area);
    }
    if (isFloating())
        WriteWindowRect(settings_, PlacementSection, ToWindowRect(geometry()));
}
