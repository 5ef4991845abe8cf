#include "logging/ui/StripChart.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>
#include <ctime>
#include <utility>

#include "base/UserInterface.h"
#include "base/ui/FieldWidth.h"
#include "base/ui/UiText.h"
#include "base/ui/WindowPlacement.h"
#include "comm/CommandLine.h"
#include "logging/MonitorUpdate.h"
#include "logging/ui/ChartControl.h"

namespace {

QString Shown(const std::string& text) {
    return FromCoreText(WithoutLineEnd(text));
}

} // namespace

CStripChart::CStripChart(IMessageBoxes& boxes, QWidget* parent)
    : QWidget(parent, Qt::Window), boxes_(boxes), auto_(new QPushButton(QStringLiteral("Auto"))),
      manual_(new QPushButton(QStringLiteral("Manual"))), maxField_(new QLineEdit),
      minField_(new QLineEdit), apply_(new QPushButton(QStringLiteral("Apply"))),
      clear_(new QPushButton(QStringLiteral("Clear"))) {
    setWindowTitle(QStringLiteral("Strip Chart"));

    auto* range = new QGroupBox;
    auto* rangeLayout = new QGridLayout(range);
    rangeLayout->addWidget(new QLabel(QStringLiteral("Max:")), 0, 0);
    rangeLayout->addWidget(maxField_, 0, 1);
    rangeLayout->addWidget(new QLabel(QStringLiteral("Min:")), 1, 0);
    rangeLayout->addWidget(minField_, 1, 1);
    rangeLayout->addWidget(apply_, 2, 0, 1, 2);
    // The widest text a field can hold: seven digits.
    const int fieldWidth =
        FieldWidthFor(*maxField_, QString(static_cast<qsizetype>(CStripChartScale::FieldLength),
                                          QLatin1Char('0')));
    maxField_->setFixedWidth(fieldWidth);
    minField_->setFixedWidth(fieldWidth);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(auto_);
    buttons->addWidget(manual_);
    buttons->addWidget(range);
    buttons->addWidget(clear_);
    buttons->addStretch(1);

    auto* layout = new QHBoxLayout(this);
    // The chart keeps the same gap from the buttons as the buttons from the edge.
    layout->setSpacing(layout->contentsMargins().left());
    layout->addLayout(buttons);

    connect(auto_, &QPushButton::clicked, this, &CStripChart::OnAuto);
    connect(manual_, &QPushButton::clicked, this, &CStripChart::OnManual);
    connect(apply_, &QPushButton::clicked, this, &CStripChart::OnApply);
    connect(clear_, &QPushButton::clicked, this, &CStripChart::OnClear);
    connect(maxField_, &QLineEdit::textEdited, this,
            [this](const QString& text) { FilterField(maxField_, text); });
    connect(minField_, &QLineEdit::textEdited, this,
            [this](const QString& text) { FilterField(minField_, text); });

    redrawTimer_.setSingleShot(true);
    redrawTimer_.setInterval(RedrawDelayMs);
    connect(&redrawTimer_, &QTimer::timeout, this, &CStripChart::Redraw);
    resize(DefaultSize);
}

void CStripChart::Create() {
    if (created_)
        return;
    maxField_->setMaxLength(static_cast<int>(CStripChartScale::FieldLength));
    minField_->setMaxLength(static_cast<int>(CStripChartScale::FieldLength));
    switch (scale_.Allocate()) {
    case CStripChartScale::Storage::NoValues:
        boxes_.ShowMessage("NULL data pointer", MessageIcon::Stop);
        break;
    case CStripChartScale::Storage::NoLabels:
        boxes_.ShowMessage("NULL label pointer", MessageIcon::Stop);
        break;
    default:
        break;
    }
    created_ = true;
    chart_ = new CChartControl(this);
    static_cast<QHBoxLayout*>(layout())->addWidget(chart_, 1);
    scale_.Auto();
    EnableRangeFields(false);
    ShowRange();
    ScheduleRedraw(true);
    FlushRedraw();
}

void CStripChart::SetWaitingTitles(const std::string& title, const std::string& unit) {
    waitingTitle_ = title;
    waitingUnit_ = unit;
    waiting_ = true;
    ScheduleRedraw(true);
}

void CStripChart::AddPoint(float value) {
    if (chart_ == nullptr) {
        boxes_.ShowMessage("NULL Chart handle", MessageIcon::Stop);
        return;
    }
    if (!scale_.HasStorage()) {
        boxes_.ShowMessage("NULL Data buffer pointers", MessageIcon::Stop);
        return;
    }
    const StripRedraw redraw =
        scale_.AddPoint(value, CStripChartScale::TimeLabel(std::time(nullptr)));
    if (redraw == StripRedraw::Rebuild)
        ShowRange();
    // The first point takes the waiting titles down.
    const bool firstPoint = std::exchange(waiting_, false);
    ScheduleRedraw(redraw == StripRedraw::Rebuild || firstPoint);
}

void CStripChart::Clear() {
    scale_.Clear();
    RebuildChart();
}

void CStripChart::RebuildChart() {
    ScheduleRedraw(true);
}

void CStripChart::OnAuto() {
    scale_.Auto();
    EnableRangeFields(false);
    ShowRange();
    RebuildChart();
}

void CStripChart::OnManual() {
    scale_.Manual();
    EnableRangeFields(true);
}

void CStripChart::OnApply() {
    const StripApplyResult result =
        scale_.Apply(ToCoreText(maxField_->text()), ToCoreText(minField_->text()));
    if (result.status == StripApplyResult::Status::Accepted) {
        RebuildChart();
        return;
    }
    boxes_.ShowMessage(result.Message(), MessageIcon::Stop);
    QLineEdit* field = result.field == StripApplyResult::Field::Max   ? maxField_
                       : result.field == StripApplyResult::Field::Min ? minField_
                                                                      : nullptr;
    if (field != nullptr) {
        field->setFocus();
        field->selectAll();
    }
}

void CStripChart::OnClear() {
    Clear();
}

void CStripChart::FilterField(QLineEdit* field, const QString& text) {
    // Only what the user typed or pasted comes here, never the window's own texts.
    const QString kept = FromCoreText(CStripChartScale::FilterField(ToCoreText(text)));
    if (kept == text)
        return;
    field->setText(kept);
    field->setCursorPosition(static_cast<int>(kept.size()));
}

void CStripChart::ShowRange() {
    maxField_->setText(FromCoreText(CStripChartScale::FieldText(scale_.Max())));
    minField_->setText(FromCoreText(CStripChartScale::FieldText(scale_.Min())));
}

void CStripChart::EnableRangeFields(bool enabled) {
    // In automatic scaling the fields show the range the chart found: read-only
    // rather than disabled, so that it stays readable and can be copied.
    maxField_->setReadOnly(!enabled);
    minField_->setReadOnly(!enabled);
    apply_->setEnabled(enabled);
}

void CStripChart::ScheduleRedraw(bool rebuild) {
    if (!created_)
        return;
    pending_ = true;
    pendingRebuild_ = pendingRebuild_ || rebuild;
    if (isVisible() && !redrawTimer_.isActive())
        redrawTimer_.start();
}

void CStripChart::FlushRedraw() {
    redrawTimer_.stop();
    Redraw();
}

void CStripChart::Redraw() {
    if (!pending_ || chart_ == nullptr)
        return;
    QStringList labels;
    if (pendingRebuild_) {
        ++rebuildCount_;
        if (waiting_)
            chart_->SetTitles(
                Shown(waitingTitle_) + QStringLiteral(": waiting for the first reading"),
                QStringLiteral("Time"),
                waitingUnit_.empty() ? QString()
                                     : QStringLiteral(" (%1)").arg(Shown(waitingUnit_)));
        else
            chart_->SetTitles(Shown(name_), QStringLiteral("Time"),
                              QStringLiteral(" (%1)").arg(Shown(unit_)));
        chart_->SetValueRange(scale_.Min(), scale_.Max());
        if (!scale_.HasStorage())
            boxes_.ShowMessage("NUL data pinters", MessageIcon::Stop);
    }
    pending_ = false;
    pendingRebuild_ = false;
    if (!scale_.HasStorage())
        return;
    labels.reserve(static_cast<qsizetype>(scale_.Labels().size()));
    for (const std::string& label : scale_.Labels())
        labels.append(QString::fromLatin1(label.data(), static_cast<qsizetype>(label.size())));
    chart_->SetStrip(labels, scale_.Values());
}

void CStripChart::closeEvent(QCloseEvent* event) {
    // A window closed while maximised comes back at its normal place.
    const QRect normal = normalGeometry();
    const QRect place = IsNormalState(*this) || normal.isEmpty() ? geometry() : normal;
    if (saver_)
        saver_(windowTitle(), ToWindowRect(place));
    QWidget::closeEvent(event);
}

void CStripChart::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        close();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Enter is "Apply", which takes effect in manual scaling only.
        if (apply_->isEnabled())
            OnApply();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void CStripChart::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // What came in while hidden is drawn at once.
    FlushRedraw();
}
