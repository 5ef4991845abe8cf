#pragma once

#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>

#include "base/WindowRect.h"
#include "logging/StripChartScale.h"

class CChartControl;
class IMessageBoxes;
class QLineEdit;
class QPushButton;

// "Strip Chart": the last N values of one quantity against the time of day
// each arrived, scaled automatically or from the "Max:" and "Min:" fields. The
// scaling is CStripChartScale's; the window draws what it says.
//
// Points can come in faster than it is worth drawing them (twelve monitors at
// the shortest logging interval), so drawing is coalesced: a change marks the
// chart stale and a short timer draws everything that came in since, once. A
// hidden window draws nothing until it is shown again.
class CStripChart : public QWidget {
public:
    // Stores the window's rectangle under the title when it closes.
    using PlacementSaver = std::function<void(const QString& title, const WindowRect& rect)>;

    // Longest wait between a change and its drawing.
    static constexpr int RedrawDelayMs = 200;
    // The size of a window with no stored place.
    static constexpr QSize DefaultSize{560, 320};

    explicit CStripChart(IMessageBoxes& boxes, QWidget* parent = nullptr);

    // Before Create; 20 unless set.
    void SetPointCount(unsigned count) { scale_.SetPointCount(count); }
    // The opening steps: the fields limited to 7 characters, the points
    // allocated, automatic scaling, the chart built. The window stays hidden.
    void Create();
    bool IsCreated() const { return created_; }

    // The plot title and the unit beside the value axis, as the instrument
    // sent them; its line end is not shown. Take effect with RebuildChart.
    void SetName(const std::string& name) { name_ = name; }
    void SetUnit(const std::string& unit) { unit_ = unit; }
    const std::string& Name() const { return name_; }
    const std::string& Unit() const { return unit_; }
    // What the chart shows until its first point: `title` with "waiting for
    // the first reading", and `unit` beside the value axis when it is known
    // beforehand (empty: no unit shown, rather than an empty "()").
    void SetWaitingTitles(const std::string& title, const std::string& unit);
    bool IsWaitingForFirstPoint() const { return waiting_; }

    // One point stamped with the current local time.
    void AddPoint(float value);
    // All values 0, all labels empty; the range stays.
    void Clear();
    // Builds the chart again from the points, the range and the titles.
    void RebuildChart();
    void SetPlacementSaver(PlacementSaver saver) { saver_ = std::move(saver); }

    const CStripChartScale& Scale() const { return scale_; }
    CChartControl* Chart() const { return chart_; }
    QLineEdit* MaxField() const { return maxField_; }
    QLineEdit* MinField() const { return minField_; }
    QPushButton* ApplyButton() const { return apply_; }

    // Whether a change waits to be drawn; drawing it now instead of at the
    // timer; how many times the chart was built whole (the first build counts).
    bool RedrawPending() const { return pending_; }
    void FlushRedraw();
    int RebuildCount() const { return rebuildCount_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void OnAuto();
    void OnManual();
    void OnApply();
    void OnClear();
    void FilterField(QLineEdit* field, const QString& text);
    void ShowRange();
    // Manual scaling: the fields take input and "Apply" is offered.
    void EnableRangeFields(bool enabled);
    void ScheduleRedraw(bool rebuild);
    void Redraw();

    IMessageBoxes& boxes_;
    CStripChartScale scale_;
    std::string name_;
    std::string unit_;
    std::string waitingTitle_;
    std::string waitingUnit_;
    bool waiting_ = false;
    bool created_ = false;
    CChartControl* chart_ = nullptr;
    QPushButton* auto_;
    QPushButton* manual_;
    QLineEdit* maxField_;
    QLineEdit* minField_;
    QPushButton* apply_;
    QPushButton* clear_;
    PlacementSaver saver_;
    QTimer redrawTimer_;
    bool pending_ = false;
    bool pendingRebuild_ = false;
    int rebuildCount_ = 0;
};
