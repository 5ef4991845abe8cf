#pragma once

#include <QDialog>
#include <QString>
#include <vector>

class CChartControl;
class IMessageBoxes;
class QShowEvent;

// The curve graph window: a modal window that draws lines of (x, y) points.
// The caller sets the line capacity, the titles and the lines, then opens it;
// the chart is built when the window opens and destroyed when it closes, the
// lines stay until the window object goes.
class CGraph : public QDialog {
public:
    explicit CGraph(IMessageBoxes& boxes, QWidget* parent = nullptr);

    // Frees the lines held and makes room for `count` lines; 0 is refused.
    void SetLineCapacity(unsigned count);
    // Copies `count` points of each array into the next line.
    void AddLine(const float* x, const float* y, unsigned count);
    // The plot's title is also the window's ("Sensor Curve"); without one the
    // window is titled DefaultWindowTitle().
    void SetTitles(const QString& title, const QString& xAxisTitle, const QString& yAxisTitle);
    static QString DefaultWindowTitle();

    unsigned LineCapacity() const { return capacity_; }
    // Lines added, those without points included.
    unsigned LineCount() const { return lineCount_; }
    unsigned LongestLine() const { return longestLine_; }
    // The chart while the window is open, else null.
    CChartControl* Chart() const { return chart_; }

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct Line {
        std::vector<float> x;
        std::vector<float> y;
    };

    void BuildChart();
    void Refuse(const char* text);

    IMessageBoxes& boxes_;
    QString title_;
    QString xAxisTitle_;
    QString yAxisTitle_;
    unsigned capacity_ = 0;
    std::vector<Line> lines_;
    unsigned lineCount_ = 0;
    unsigned longestLine_ = 0;
    CChartControl* chart_ = nullptr;
    bool open_ = false;
};
