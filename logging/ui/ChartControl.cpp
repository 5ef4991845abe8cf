#include "logging/ui/ChartControl.h"

#include <QCategoryAxis>
#include <QChart>
#include <QFontMetrics>
#include <QLineSeries>
#include <QValueAxis>
#include <algorithm>
#include <limits>

namespace {

QString Cut(const QString& text) {
    return text.left(CChartControl::TitleLength);
}

} // namespace

CChartControl::CChartControl(QWidget* parent) : QChartView(new QChart, parent) {
    setRenderHint(QPainter::Antialiasing);
    chart()->legend()->hide();
    // A narrower plot has room for fewer labels.
    connect(chart(), &QChart::plotAreaChanged, this, [this] {
        if (strip_ && LabelRoom() != labelRoom_)
            ShowStripLabels();
    });
}

void CChartControl::SetTitles(const QString& title, const QString& xAxisTitle,
                              const QString& yAxisTitle) {
    chart()->setTitle(Cut(title));
    xAxisTitle_ = Cut(xAxisTitle);
    yAxisTitle_ = Cut(yAxisTitle);
    ApplyAxisTitles();
}

QString CChartControl::Title() const {
    return chart()->title();
}

void CChartControl::ApplyAxisTitles() {
    if (xValueAxis_)
        xValueAxis_->setTitleText(xAxisTitle_);
    if (xCategoryAxis_)
        xCategoryAxis_->setTitleText(xAxisTitle_);
    if (yAxis_)
        yAxis_->setTitleText(yAxisTitle_);
}

void CChartControl::EnsureValueAxes() {
    if (!xValueAxis_) {
        xValueAxis_ = new QValueAxis(this);
        chart()->addAxis(xValueAxis_, Qt::AlignBottom);
    }
    if (!yAxis_) {
        yAxis_ = new QValueAxis(this);
        chart()->addAxis(yAxis_, Qt::AlignLeft);
    }
    ApplyAxisTitles();
}

void CChartControl::EnsureStripAxes() {
    if (!xCategoryAxis_) {
        xCategoryAxis_ = new QCategoryAxis(this);
        xCategoryAxis_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
        chart()->addAxis(xCategoryAxis_, Qt::AlignBottom);
    }
    if (!yAxis_) {
        yAxis_ = new QValueAxis(this);
        chart()->addAxis(yAxis_, Qt::AlignLeft);
    }
    ApplyAxisTitles();
}

void CChartControl::AddLine(const float* x, const float* y, std::size_t count) {
    if (count == 0 || !x || !y)
        return;
    EnsureValueAxes();
    auto* series = new QLineSeries(this);
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(count));
    for (std::size_t i = 0; i < count; ++i)
        points.append(QPointF(x[i], y[i]));
    series->replace(points);
    chart()->addSeries(series);
    series->attachAxis(xValueAxis_);
    series->attachAxis(yAxis_);
    FitLinesIntoAxes();
}

int CChartControl::LineCount() const {
    return static_cast<int>(chart()->series().size());
}

QList<QPointF> CChartControl::LinePoints(int line) const {
    const auto series = chart()->series();
    if (line < 0 || line >= series.size())
        return {};
    return static_cast<QLineSeries*>(series[line])->points();
}

void CChartControl::FitLinesIntoAxes() {
    double xMin = std::numeric_limits<double>::max(), xMax = std::numeric_limits<double>::lowest();
    double yMin = xMin, yMax = xMax;
    for (auto* series : chart()->series())
        for (const QPointF& p : static_cast<QLineSeries*>(series)->points()) {
            xMin = std::min(xMin, p.x());
            xMax = std::max(xMax, p.x());
            yMin = std::min(yMin, p.y());
            yMax = std::max(yMax, p.y());
        }
    if (xMin > xMax)
        return;
    // A range of one value gets room around it, so that the point shows.
    auto widen = [](double& low, double& high) {
        if (low == high) {
            double margin = low == 0 ? 1.0 : std::abs(low) * 0.1;
            low -= margin;
            high += margin;
        }
    };
    widen(xMin, xMax);
    xValueAxis_->setRange(xMin, xMax);
    xValueAxis_->applyNiceNumbers();
    if (!rangeFixed_) {
        widen(yMin, yMax);
        yAxis_->setRange(yMin, yMax);
        yAxis_->applyNiceNumbers();
    }
}

void CChartControl::SetStrip(const QStringList& labels, const std::vector<float>& values) {
    EnsureStripAxes();
    values_ = values;
    labels_ = labels;
    // Every point has a label, empty when it has none yet.
    while (labels_.size() < static_cast<qsizetype>(values_.size()))
        labels_.append(QString());
    labels_.resize(static_cast<qsizetype>(values_.size()));
    if (!strip_) {
        strip_ = new QLineSeries(this);
        chart()->addSeries(strip_);
        strip_->attachAxis(xCategoryAxis_);
        strip_->attachAxis(yAxis_);
    }
    xCategoryAxis_->setRange(0, std::max<double>(1, static_cast<double>(values_.size()) - 1));
    ShowStrip();
}

void CChartControl::AppendStripPoint(const QString& label, float value) {
    if (!strip_ || values_.empty())
        return;
    values_.erase(values_.begin());
    values_.push_back(value);
    labels_.removeFirst();
    labels_.append(label);
    ShowStrip();
}

void CChartControl::ShowStrip() {
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(values_.size()));
    for (std::size_t i = 0; i < values_.size(); ++i)
        points.append(QPointF(static_cast<double>(i), values_[i]));
    strip_->replace(points);
    ShowStripLabels();
}

void CChartControl::ShowStripLabels() {
    for (const QString& shown : xCategoryAxis_->categoriesLabels())
        xCategoryAxis_->remove(shown);
    // Counted back from the newest point, so that the newest is always labelled.
    const qsizetype count = labels_.size();
    labelRoom_ = LabelRoom();
    const qsizetype room = labelRoom_;
    const qsizetype step = std::max<qsizetype>(1, (count + room - 1) / room);
    QList<qsizetype> positions;
    for (qsizetype i = count - 1; i >= 0; i -= step)
        positions.prepend(i);
    for (qsizetype i : positions)
        // The axis holds each text once; empty labels show nothing anyway.
        if (!labels_[i].isEmpty() && !xCategoryAxis_->categoriesLabels().contains(labels_[i]))
            xCategoryAxis_->append(labels_[i], static_cast<double>(i));
    // An axis without a category is laid out without its labels' row, and its
    // title ends up above the plot: until the first time comes, a blank one.
    if (xCategoryAxis_->categoriesLabels().isEmpty() && count > 0)
        xCategoryAxis_->append(QStringLiteral(" "), static_cast<double>(count - 1));
}

int CChartControl::LabelRoom() const {
    const qreal width = chart()->plotArea().width();
    if (width <= 0)
        return MaxShownLabels;
    const QFontMetrics metrics(xCategoryAxis_->labelsFont());
    const int label = metrics.horizontalAdvance(QStringLiteral("00:00:00")) + metrics.height();
    return std::clamp(static_cast<int>(width / label), 1, MaxShownLabels);
}

QStringList CChartControl::ShownLabels() const {
    return xCategoryAxis_ ? xCategoryAxis_->categoriesLabels() : QStringList();
}

void CChartControl::SetValueRange(double min, double max) {
    if (!yAxis_) {
        yAxis_ = new QValueAxis(this);
        chart()->addAxis(yAxis_, Qt::AlignLeft);
        ApplyAxisTitles();
    }
    rangeFixed_ = true;
    yAxis_->setRange(min, max);
}

double CChartControl::ValueAxisMin() const {
    return yAxis_ ? yAxis_->min() : 0.0;
}

double CChartControl::ValueAxisMax() const {
    return yAxis_ ? yAxis_->max() : 0.0;
}
