#include "comm/dialogs/PortSelect.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "base/ui/FixedSizeWindow.h"
#include "comm/LinkResult.h"

CPortSelect::CPortSelect(int portType, QWidget* parent)
    : QDialog(parent), previous_(portType), chosen_(portType) {
    setWindowTitle(QStringLiteral("Port Select Dialog"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral(
        "Select the port to communicate with controller\nClick GPIB to change GPIB address")));
    for (auto [text, type] :
         {std::pair{"RS232", PortRS232}, std::pair{"GPIB...", PortGPIB}, std::pair{"LAN", PortLAN}})
        layout->addWidget(AddChoice(QString::fromLatin1(text), type));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    MakeFixedSize(*this);
}

QRadioButton* CPortSelect::AddChoice(const QString& text, int type) {
    auto* choice = new QRadioButton(text);
    choice->setChecked(type == chosen_);
    connect(choice, &QRadioButton::clicked, this, [this, type] { chosen_ = type; });
    return choice;
}
