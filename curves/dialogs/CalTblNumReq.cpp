#include "curves/dialogs/CalTblNumReq.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/ui/FixedSizeWindow.h"

CCalTblNumReq::CCalTblNumReq(QWidget* parent) : QDialog(parent), list_(new QComboBox) {
    setWindowTitle(QStringLiteral("User Curve Number"));
    auto* manual = new QLabel(QStringLiteral(
        "Please check user manual for the number of user curves for the target model. The user "
        "curves are after the factory curves in Sensor Setup."));
    manual->setWordWrap(true);
    list_->setMinimumContentsLength(30);
    connect(list_, &QComboBox::currentIndexChanged, this,
            [this](int index) { curve_ = index + 1; });

    auto* buttons = new QDialogButtonBox;
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(manual);
    layout->addWidget(new QLabel(QStringLiteral("Enter user curve number :")));
    layout->addWidget(list_);
    layout->addWidget(buttons);
    // Wide enough for the note to take three lines.
    layout->addStrut(420 - layout->contentsMargins().left() - layout->contentsMargins().right());
    MakeFixedSize(*this);
}

void CCalTblNumReq::SetReplies(const std::array<QString, UserCurves>& replies) {
    list_->clear();
    for (const QString& reply : replies)
        list_->addItem(reply);
    list_->setCurrentIndex(0);
    curve_ = 1;
}
