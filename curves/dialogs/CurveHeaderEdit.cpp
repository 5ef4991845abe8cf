#include "curves/dialogs/CurveHeaderEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/DecimalText.h"
#include "base/UserInterface.h"
#include "base/ui/FixedSizeWindow.h"
#include "curves/CurveHeaderField.h"
#include "curves/dialogs/SensorCurveGraph.h"

namespace {

QString MultiplierText(float multiplier) {
    return QString::fromStdString(FormatShortest(multiplier));
}

} // namespace

CCurveHeaderEdit::CCurveHeaderEdit(IMessageBoxes& boxes, QWidget* parent)
    : QDialog(parent), boxes_(boxes), name_(new QLineEdit), type_(new QComboBox),
      multiplierEdit_(new QLineEdit), unit_(new QComboBox), count_(new QLineEdit),
      saveAsCrv_(new QCheckBox(QStringLiteral("Save as .crv file"))) {
    setWindowTitle(QStringLiteral("Edit Curve Header:"));
    type_->setEditable(true);
    type_->addItems({"Diode", "PTC100", "PTC1K", "PTC10K", "ACR", "TC80", "None"});
    for (int i = 0; i < UnitListSize; ++i)
        unit_->addItem(QString::fromLatin1(UnitListEntry(i)));
    // Shown, not edited: read-only keeps it readable and copyable, unlike a disabled field.
    count_->setReadOnly(true);
    multiplierEdit_->setText(MultiplierText(multiplier_));

    auto* fields = new QGridLayout;
    int row = 0;
    auto addRow = [&](const char* label, QWidget* field) {
        fields->addWidget(new QLabel(QString::fromLatin1(label)), row, 0);
        fields->addWidget(field, row++, 1);
    };
    addRow("Sensor Name:", name_);
    addRow("Sensor Type:", type_);
    addRow("Multiplier:", multiplierEdit_);
    addRow("Unit:", unit_);
    addRow("Number of Pts:", count_);
    fields->addWidget(saveAsCrv_, row, 0, 1, 2);

    auto* accept = new QPushButton(QStringLiteral("Accept"));
    auto* abort = new QPushButton(QStringLiteral("Abort"));
    auto* display = new QPushButton(QStringLiteral("Display Curve"));
    accept->setDefault(true);
    connect(accept, &QPushButton::clicked, this, &CCurveHeaderEdit::OnAccept);
    connect(abort, &QPushButton::clicked, this, &QDialog::reject);
    connect(display, &QPushButton::clicked, this, &CCurveHeaderEdit::OnDisplayCurve);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(accept);
    buttons->addWidget(abort);
    buttons->addWidget(display);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    MakeFixedSize(*this);
}

void CCurveHeaderEdit::SetHeader(const QString& name, const QString& type, float multiplier,
                                 UnitCode unit, int count, bool sourceIsCrv) {
    name_->setText(name);
    type_->setCurrentText(type);
    multiplier_ = multiplier;
    multiplierEdit_->setText(MultiplierText(multiplier));
    unit_->setCurrentIndex(UnitListIndex(unit));
    count_->setText(QString::number(count));
    saveAsCrv_->setEnabled(!sourceIsCrv);
}

void CCurveHeaderEdit::SetSaveAsCrv(bool checked) {
    saveAsCrv_->setChecked(checked);
}

void CCurveHeaderEdit::SetPlotData(const float* temperatures, const float* values, int count,
                                   UnitCode unit) {
    hasPlot_ = temperatures && values;
    plotTemperatures_.clear();
    plotValues_.clear();
    if (hasPlot_ && count > 0) {
        plotTemperatures_.assign(temperatures, temperatures + count);
        plotValues_.assign(values, values + count);
    }
    plotUnit_ = unit;
}

QString CCurveHeaderEdit::Name() const {
    return name_->text();
}

QString CCurveHeaderEdit::Type() const {
    return type_->currentText();
}

QString CCurveHeaderEdit::UnitText() const {
    return QString::fromLatin1(UnitTextOfListIndex(unit_->currentIndex()));
}

bool CCurveHeaderEdit::SaveAsCrv() const {
    return saveAsCrv_->isChecked();
}

void CCurveHeaderEdit::OnAccept() {
    // Each goes to the instrument as a line of its own.
    const struct {
        const char* label;
        QString text;
        QWidget* field;
    } fields[] = {{"Sensor Name", name_->text(), name_},
                  {"Sensor Type", type_->currentText(), type_},
                  {"Multiplier", multiplierEdit_->text(), multiplierEdit_}};
    for (const auto& field : fields)
        if (const std::string problem = HeaderFieldProblem(field.text.toStdString());
            !problem.empty()) {
            boxes_.ShowMessage(field.label + (" " + problem), MessageIcon::Warning);
            field.field->setFocus();
            return;
        }
    float multiplier = 0.0f;
    if (!ParseNumber(multiplierEdit_->text().trimmed().toStdString(), multiplier)) {
        boxes_.ShowMessage("Enter a number.", MessageIcon::Warning);
        multiplierEdit_->setFocus();
        multiplierEdit_->selectAll();
        return;
    }
    multiplier_ = multiplier;
    accept();
}

void CCurveHeaderEdit::OnDisplayCurve() {
    if (!hasPlot_) {
        boxes_.ShowMessage("Null Pointer", MessageIcon::Stop);
        return;
    }
    ShowSensorCurveGraph(boxes_, this, plotTemperatures_, plotValues_, plotUnit_);
}
