#include "app/ui/TfrDlg.h"

#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>

#include "base/ui/FixedSizeWindow.h"

CTfrDlg::CTfrDlg(QWidget* parent)
    : QDialog(parent), caption_(new QLabel(QStringLiteral("Transferring data. Please wait....."))),
      bar_(new QProgressBar) {
    setWindowTitle(QStringLiteral("Download/Upload Message"));
    setModal(false);
    bar_->setTextVisible(false);
    bar_->setMinimumWidth(320);

    auto* layout = new QGridLayout(this);
    layout->addWidget(caption_, 0, 0, 1, 3);
    layout->addWidget(new QLabel(QStringLiteral("0%")), 1, 0);
    layout->addWidget(bar_, 1, 1);
    layout->addWidget(new QLabel(QStringLiteral("100%")), 1, 2);
    MakeFixedSize(*this);
}

void CTfrDlg::SetCaption(const QString& caption) {
    caption_->setText(caption.left(MaxCaptionLength));
}

QString CTfrDlg::Caption() const {
    return caption_->text();
}

void CTfrDlg::SetRange(int lower, int upper) {
    bar_->setRange(lower, upper);
}

void CTfrDlg::SetPos(int position) {
    bar_->setValue(position);
}

int CTfrDlg::Pos() const {
    return bar_->value();
}
