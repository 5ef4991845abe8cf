#include "curves/dialogs/PIDTblNumReq.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/UserInterface.h"
#include "base/ui/FixedSizeWindow.h"

CPIDTblNumReq::CPIDTblNumReq(IMessageBoxes& boxes, QWidget* parent)
    : QDialog(parent), boxes_(boxes), list_(new QComboBox) {
    setWindowTitle(QStringLiteral("PID Table Number"));
    list_->setEditable(true);
    list_->setInsertPolicy(QComboBox::NoInsert);
    list_->addItems({"1", "2", "3", "4", "5", "6"});
    list_->setCurrentIndex(0);
    list_->lineEdit()->setValidator(new QIntValidator(list_));

    auto* buttons = new QDialogButtonBox;
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &CPIDTblNumReq::OnOk);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Enter PID table number :")));
    layout->addWidget(list_);
    layout->addWidget(buttons);
    MakeFixedSize(*this);
}

std::optional<int> CPIDTblNumReq::ReadInteger(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    return ok ? std::optional<int>(value) : std::nullopt;
}

void CPIDTblNumReq::OnOk() {
    const auto value = ReadInteger(list_->currentText());
    if (!value) {
        boxes_.ShowMessage("Enter an integer.", MessageIcon::Warning);
        list_->setFocus();
        return;
    }
    table_ = *value;
    accept();
}
