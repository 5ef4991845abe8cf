#include "curves/dialogs/StandardCurveDlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "base/DecimalText.h"
#include "base/ui/FileChooser.h"
#include "base/ui/FixedSizeWindow.h"
#include "curves/SaveStandardCurve.h"
#include "curves/dialogs/SensorCurveGraph.h"

namespace {

QString NumberText(double value) {
    return QString::fromStdString(FormatGeneral(value, 8));
}

std::optional<double> NumberOf(const QLineEdit& field) {
    return FieldNumber(field.text().toStdString());
}

} // namespace

CStandardCurveDlg::CStandardCurveDlg(IMessageBoxes& boxes, IMessageLog& log,
                                     DownloadAction download, QWidget* parent)
    : QDialog(parent), boxes_(boxes), log_(log), download_(std::move(download)),
      kind_(new QComboBox), r0_(new QLineEdit), from_(new QLineEdit), to_(new QLineEdit),
      points_(new QSpinBox), unit_(new QComboBox), result_(new QLabel),
      display_(new QPushButton(QStringLiteral("Display Curve"))),
      save_(new QPushButton(QStringLiteral("Save..."))),
      downloadButton_(new QPushButton(QStringLiteral("Download"))) {
    setWindowTitle(QStringLiteral("Standard Curve"));
    for (const StandardKind& kind : StandardKinds())
        kind_->addItem(QString::fromLatin1(kind.label.data(), static_cast<int>(kind.label.size())));
    points_->setRange(4, SensorCurve::MaxEntries);
    points_->setValue(SensorCurve::MaxEntries);
    result_->setWordWrap(true);
    result_->setMinimumWidth(320);
    result_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* fields = new QGridLayout;
    int row = 0;
    auto addRow = [&](const char* label, QWidget* field) {
        fields->addWidget(new QLabel(QString::fromLatin1(label)), row, 0);
        fields->addWidget(field, row++, 1);
    };
    addRow("Standard:", kind_);
    addRow("R0 (ohm):", r0_);
    addRow("From (K):", from_);
    addRow("To (K):", to_);
    addRow("Number of Pts:", points_);
    addRow("Unit:", unit_);
    addRow("Largest error:", result_);

    auto* close = new QPushButton(QStringLiteral("Close"));
    connect(display_, &QPushButton::clicked, this, &CStandardCurveDlg::OnDisplayCurve);
    connect(save_, &QPushButton::clicked, this, &CStandardCurveDlg::OnSave);
    connect(downloadButton_, &QPushButton::clicked, this, &CStandardCurveDlg::OnDownload);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(display_);
    buttons->addWidget(save_);
    buttons->addWidget(downloadButton_);
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    MakeFixedSize(*this);

    connect(kind_, &QComboBox::currentIndexChanged, this, &CStandardCurveDlg::OnKindChanged);
    for (QLineEdit* field : {r0_, from_, to_})
        connect(field, &QLineEdit::editingFinished, this, &CStandardCurveDlg::Regenerate);
    connect(points_, &QSpinBox::valueChanged, this, &CStandardCurveDlg::Regenerate);
    connect(unit_, &QComboBox::currentIndexChanged, this, &CStandardCurveDlg::Regenerate);
    OnKindChanged();
}

const StandardKind& CStandardCurveDlg::Kind() const {
    const auto kinds = StandardKinds();
    const int index = std::max(kind_->currentIndex(), 0);
    return kinds[static_cast<std::size_t>(index)];
}

QString CStandardCurveDlg::ResultText() const {
    return result_->text();
}

// A new kind starts from its standard's range and its own unit list.
void CStandardCurveDlg::OnKindChanged() {
    filling_ = true;
    const StandardKind& kind = Kind();
    const StandardCurveRequest request = RequestOf(kind);
    const bool platinum = kind.sensor == StandardSensor::Platinum;
    r0_->setEnabled(platinum && kind.r0 == 0.0);
    r0_->setText(platinum ? NumberText(request.r0) : QString());
    const KelvinRange range = StandardRange(request);
    from_->setText(NumberText(range.from));
    to_->setText(NumberText(range.to));
    unit_->clear();
    if (platinum)
        unit_->addItems({QStringLiteral("Ohms"), QStringLiteral("LogOhm")});
    else
        unit_->addItem(QStringLiteral("mVolts"));
    filling_ = false;
    Regenerate();
}

void CStandardCurveDlg::Regenerate() {
    if (filling_)
        return;
    const StandardKind& kind = Kind();
    StandardCurveRequest request = RequestOf(kind);
    curve_.reset();
    const auto r0 = NumberOf(*r0_);
    const auto from = NumberOf(*from_);
    const auto to = NumberOf(*to_);
    QString text;
    if (kind.sensor == StandardSensor::Platinum && !r0)
        text = QStringLiteral("R0 is not a number.");
    else if (!from || !to)
        text = QStringLiteral("The range is not a number.");
    if (text.isEmpty()) {
        if (kind.sensor == StandardSensor::Platinum)
            request.r0 = *r0;
        request.fromKelvin = from;
        request.toKelvin = to;
        request.points = points_->value();
        if (kind.sensor == StandardSensor::Platinum)
            request.unit = unit_->currentIndex() == 1 ? UnitLogOhms : UnitOhms;
        StandardCurveResult result = MakeStandardCurve(request);
        if (result.curve) {
            curve_ = std::move(result.curve);
            text = QString::fromStdString(
                CFormat("%.6f K (evenly spaced: %.6f K)", curve_->largestError, curve_->evenError));
        } else {
            text = QString::fromStdString(result.refusal);
        }
    }
    result_->setText(text);
    display_->setEnabled(curve_.has_value());
    save_->setEnabled(curve_.has_value());
    downloadButton_->setEnabled(curve_.has_value() && static_cast<bool>(download_));
}

void CStandardCurveDlg::OnDisplayCurve() {
    if (!curve_)
        return;
    const CurvePlotData plot = PlotDataOf(curve_->curve);
    ShowSensorCurveGraph(boxes_, this, plot.temperatures, plot.values, plot.unit);
}

void CStandardCurveDlg::OnSave() {
    if (!curve_)
        return;
    CFileChooser files(this);
    SaveStandardCurve(*curve_, files, boxes_, log_);
}

void CStandardCurveDlg::OnDownload() {
    if (curve_ && download_)
        download_(curve_->curve, curve_->curve.name);
}

void RunStandardCurveDialog(IMessageBoxes& boxes, IMessageLog& log,
                            CStandardCurveDlg::DownloadAction download, QWidget* parent) {
    CStandardCurveDlg dialog(boxes, log, std::move(download), parent);
    dialog.exec();
}
