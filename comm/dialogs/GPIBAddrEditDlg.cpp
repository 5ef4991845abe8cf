#include "comm/dialogs/GPIBAddrEditDlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "base/ui/FixedSizeWindow.h"

CGPIBAddrEditDlg::CGPIBAddrEditDlg(int address, QWidget* parent)
    : QDialog(parent), list_(new QListWidget) {
    setWindowTitle(QStringLiteral("Edit GPIB Address Dialog"));
    for (int i = 0; i <= 31; ++i)
        list_->addItem(QString::number(i));
    if (address >= 0 && address <= 31)
        list_->setCurrentRow(address);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Enter New GPIB Address:")));
    layout->addWidget(list_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    layout->addWidget(buttons);
    MakeFixedSize(*this);
}

int CGPIBAddrEditDlg::Address() const {
    return list_->currentRow();
}
