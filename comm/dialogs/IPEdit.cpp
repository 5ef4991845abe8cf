#include "comm/dialogs/IPEdit.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>

#include "base/ui/FixedSizeWindow.h"

CIPEdit::CIPEdit(const MyIPAddr& address, int port, QWidget* parent)
    : QDialog(parent), portField_(new QLineEdit(QString::number(port))), address_(address),
      port_(port) {
    setWindowTitle(QStringLiteral("Edit IP Address"));
    auto* addressRow = new QHBoxLayout;
    for (int i = 0; i < 4; ++i) {
        octets_[i] = new QSpinBox;
        octets_[i]->setRange(0, 255);
        octets_[i]->setValue(address.Octet(i));
        octets_[i]->setButtonSymbols(QAbstractSpinBox::NoButtons);
        addressRow->addWidget(octets_[i]);
        if (i < 3)
            addressRow->addWidget(new QLabel(QStringLiteral(".")));
    }
    auto* connectButton = new QPushButton(QStringLiteral("Connect"));
    connectButton->setDefault(true);
    auto* cancelButton = new QPushButton(QStringLiteral("Cancel"));
    connect(connectButton, &QPushButton::clicked, this, &CIPEdit::OnConnect);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(connectButton);
    buttons->addWidget(cancelButton);

    auto* layout = new QFormLayout(this);
    layout->addRow(QStringLiteral("Server IP Address:"), addressRow);
    layout->addRow(QStringLiteral("Port:"), portField_);
    layout->addRow(buttons);
    MakeFixedSize(*this);
}

void CIPEdit::OnConnect() {
    bool isNumber = false;
    int port = portField_->text().trimmed().toInt(&isNumber);
    if (!isNumber || port < 0 || port > MaxPort) {
        QMessageBox::warning(
            this, windowTitle(),
            QStringLiteral("Please enter an integer between 0 and %1.").arg(MaxPort));
        portField_->setFocus();
        portField_->selectAll();
        return;
    }
    port_ = port;
    address_ = MyIPAddr::FromOctets(octets_[0]->value(), octets_[1]->value(), octets_[2]->value(),
                                    octets_[3]->value());
    accept();
}
