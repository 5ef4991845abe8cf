#include "app/ui/SelectCalGenType.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/ui/FixedSizeWindow.h"

CSelectCalGenType::CSelectCalGenType(QWidget* parent)
    : QDialog(parent), sensor_(new QComboBox), points_(new QComboBox) {
    setWindowTitle(QStringLiteral("Select CalGen Type"));

    // In alphabetical order, as the positions handed on assume.
    sensor_->addItems(
        {QStringLiteral("Diode"), QStringLiteral("Platinum"), QStringLiteral("Thermocouple")});
    points_->addItems({QStringLiteral("1 point at 300K"), QStringLiteral("1 point at 4.2K"),
                       QStringLiteral("2 points"), QStringLiteral("3 points")});
    connect(sensor_, &QComboBox::currentIndexChanged, this, &CSelectCalGenType::OnSensorChanged);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Sensor Type:"), sensor_);
    form->addRow(QStringLiteral("Number of points:"), points_);

    auto* accept = new QPushButton(QStringLiteral("Accept"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"));
    accept->setDefault(true);
    connect(accept, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(accept);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    MakeFixedSize(*this);
    OnSensorChanged(sensor_->currentIndex());
}

int CSelectCalGenType::SensorIndex() const {
    return sensor_->currentIndex();
}

int CSelectCalGenType::PointsIndex() const {
    return points_->currentIndex();
}

void CSelectCalGenType::OnSensorChanged(int index) {
    // Only a diode curve is fitted at a chosen number of points.
    points_->setEnabled(index == 0);
}
