#include "comm/dialogs/CommSetUp.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

#include "base/ui/FixedSizeWindow.h"
#include "comm/SerialDevices.h"

CCommSetUp::CCommSetUp(CSettingsStore& settings, int portIndex, int baudIndex, QWidget* parent)
    : QDialog(parent), settings_(settings), port_(new QComboBox), baud_(new QComboBox),
      device_(new QLineEdit) {
    setWindowTitle(QStringLiteral("Communicaton Setup"));
    for (int i = 1; i <= 10; ++i)
        port_->addItem(QStringLiteral("COM%1").arg(i));
    // Two entries carry a trailing blank, as the instrument's manuals list them.
    for (const char* speed :
         {"115200", "57600", "38400", "19200 ", "9600 ", "4800", "2400", "1200"})
        baud_->addItem(QString::fromLatin1(speed));
    port_->setCurrentIndex(portIndex >= 0 && portIndex < 10 ? portIndex : 0);
    baud_->setCurrentIndex(baudIndex >= 0 && baudIndex < 8 ? baudIndex : 0);
    device_->setToolTip(QStringLiteral("The serial device this entry opens"));

    auto* layout = new QFormLayout(this);
    layout->addRow(QStringLiteral("Comm Port:"), port_);
    layout->addRow(QStringLiteral("Device:"), device_);
    layout->addRow(QStringLiteral("Baud Rate:"), baud_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addRow(buttons);

    connect(port_, &QComboBox::currentIndexChanged, this, &CCommSetUp::ShowDevice);
    ShowDevice();
    MakeFixedSize(*this);
}

void CCommSetUp::ShowDevice() {
    device_->setText(QString::fromStdString(SerialDevicePath(settings_, PortIndex() + 1)));
}

int CCommSetUp::PortIndex() const {
    return port_->currentIndex();
}
int CCommSetUp::BaudIndex() const {
    return baud_->currentIndex();
}
QString CCommSetUp::DevicePath() const {
    return device_->text().trimmed();
}
