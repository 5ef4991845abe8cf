#include "logging/ui/Graph.h"

#include <QShowEvent>
#include <QVBoxLayout>
#include <algorithm>
#include <new>
#include <stdexcept>

#include "base/UserInterface.h"
#include "logging/ui/ChartControl.h"

namespace {

// 390 by 194 dialog units in the font dialogs use.
constexpr int WindowWidth = 585;
constexpr int WindowHeight = 315;

} // namespace

CGraph::CGraph(IMessageBoxes& boxes, QWidget* parent) : QDialog(parent), boxes_(boxes) {
    // Not left empty: the window manager would show the program's name.
    setWindowTitle(DefaultWindowTitle());
    resize(WindowWidth, WindowHeight);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

void CGraph::Refuse(const char* text) {
    boxes_.ShowMessage(text, MessageIcon::Stop);
}

void CGraph::SetLineCapacity(unsigned count) {
    if (count == 0) {
        Refuse("The graph must be set up with at least 1 line");
        return;
    }
    lines_.clear();
    lineCount_ = 0;
    longestLine_ = 0;
    try {
        lines_.resize(count);
        capacity_ = count;
    } catch (const std::bad_alloc&) {
        capacity_ = 0;
        Refuse("Faile to create pointer sets");
    } catch (const std::length_error&) {
        capacity_ = 0;
        Refuse("Faile to create pointer sets");
    }
}

void CGraph::AddLine(const float* x, const float* y, unsigned count) {
    if (capacity_ == 0) {
        Refuse("The graph must be set up with at least 1 line");
        return;
    }
    if (lineCount_ >= capacity_) {
        Refuse("The number of lines exceeded the maximum.");
        return;
    }
    if (count > 0 && (!x || !y)) {
        Refuse("Unable to create new data buffer");
        return;
    }
    Line line;
    try {
        line.x.assign(x, x + count);
        line.y.assign(y, y + count);
    } catch (const std::bad_alloc&) {
        Refuse("Unable to create new data buffer");
        return;
    }
    lines_[lineCount_++] = std::move(line);
    longestLine_ = std::max(longestLine_, count);
}

void CGraph::SetTitles(const QString& title, const QString& xAxisTitle, const QString& yAxisTitle) {
    title_ = title;
    xAxisTitle_ = xAxisTitle;
    yAxisTitle_ = yAxisTitle;
    setWindowTitle(title.trimmed().isEmpty() ? DefaultWindowTitle() : title);
}

QString CGraph::DefaultWindowTitle() {
    return QStringLiteral("Curve Graph");
}

void CGraph::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!open_) {
        open_ = true;
        BuildChart();
    }
}

void CGraph::BuildChart() {
    if (capacity_ == 0) {
        Refuse("The graph must be set up with at least 1 line");
        return;
    }
    chart_ = new CChartControl(this);
    chart_->SetTitles(title_, xAxisTitle_, yAxisTitle_);
    for (unsigned i = 0; i < lineCount_; ++i)
        chart_->AddLine(lines_[i].x.data(), lines_[i].y.data(), lines_[i].x.size());
    layout()->addWidget(chart_);
}

void CGraph::done(int result) {
    delete chart_;
    chart_ = nullptr;
    open_ = false;
    QDialog::done(result);
}
