#pragma once

#include <QChartView>
#include <QList>
#include <QPointF>
#include <QStringList>
#include <cstddef>
#include <vector>

class QCategoryAxis;
class QLineSeries;
class QValueAxis;

// The program's one chart component, a thin layer over Qt Charts through which
// the curve graph and the strip chart draw. A control shows either lines of
// (x, y) points, with both axes taking in every point, or a strip: one line of
// evenly spaced points labelled by texts, whose value axis runs exactly over
// the range it is given, scrolled by appending points at its right end.
class CChartControl : public QChartView {
public:
    // Titles longer than this are cut.
    static constexpr int TitleLength = 50;
    // A strip labels at most this many of its points, and no more than fit
    // side by side under the plot, so that the labels stay readable.
    static constexpr int MaxShownLabels = 8;

    explicit CChartControl(QWidget* parent = nullptr);

    void SetTitles(const QString& title, const QString& xAxisTitle, const QString& yAxisTitle);
    QString Title() const;
    QString XAxisTitle() const { return xAxisTitle_; }
    QString YAxisTitle() const { return yAxisTitle_; }

    // Lines of (x, y) points. A line without points is not drawn.
    void AddLine(const float* x, const float* y, std::size_t count);
    int LineCount() const;
    QList<QPointF> LinePoints(int line) const;

    // The strip: the points, oldest first, each with its label.
    void SetStrip(const QStringList& labels, const std::vector<float>& values);
    // One more point at the right end; the leftmost one is dropped.
    void AppendStripPoint(const QString& label, float value);
    const QStringList& StripLabels() const { return labels_; }
    // The labels the time axis shows.
    QStringList ShownLabels() const;

    // The value axis runs from min to max whatever the points.
    void SetValueRange(double min, double max);
    double ValueAxisMin() const;
    double ValueAxisMax() const;

private:
    void EnsureValueAxes();
    void EnsureStripAxes();
    void ApplyAxisTitles();
    void FitLinesIntoAxes();
    void ShowStrip();
    void ShowStripLabels();
    // How many time labels fit under the plot as wide as it is now.
    int LabelRoom() const;

    QValueAxis* xValueAxis_ = nullptr;
    QCategoryAxis* xCategoryAxis_ = nullptr;
    QValueAxis* yAxis_ = nullptr;
    QLineSeries* strip_ = nullptr;
    QString xAxisTitle_;
    QString yAxisTitle_;
    QStringList labels_;
    std::vector<float> values_;
    bool rangeFixed_ = false;
    int labelRoom_ = 0;
};
