#include "server/dialogs/ShareInstrumentDlg.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>

#include "base/ui/FixedSizeWindow.h"
#include "base/ui/UiText.h"

CShareInstrumentDlg::CShareInstrumentDlg(const ServeOptions& options, bool sharing, QWidget* parent)
    : QDialog(parent), address_(new QLineEdit(FromCoreText(AddressText(options.address)))),
      port_(new QSpinBox), allow_(new QLineEdit(FromCoreText(AllowListText(options.allow)))),
      readOnly_(new QCheckBox(QStringLiteral("Read only: clients may only ask queries"))),
      maxClients_(new QSpinBox), options_(options) {
    setWindowTitle(QStringLiteral("Share Instrument"));
    port_->setRange(0, 65535);
    port_->setSpecialValueText(QStringLiteral("any free port"));
    port_->setValue(options.port);
    allow_->setPlaceholderText(QStringLiteral("this computer only"));
    allow_->setToolTip(QStringLiteral(
        "Addresses of the computers that may connect, as 192.168.1.20 or 192.168.1.0/24, "
        "separated by commas; needed when the address to listen on is not 127.0.0.1."));
    readOnly_->setChecked(options.readOnly);
    maxClients_->setRange(1, ServeOptions::MaxMaxClients);
    maxClients_->setValue(options.maxClients);

    auto* layout = new QFormLayout(this);
    auto* about = new QLabel(
        QStringLiteral("Other programs reach the instrument through this one, over LAN at the "
                       "address and port below (a VISA resource TCPIP::ADDRESS::PORT::SOCKET). "
                       "Their commands take turns with the monitors and logging."));
    about->setWordWrap(true);
    layout->addRow(about);
    layout->addRow(QStringLiteral("Listen on address:"), address_);
    layout->addRow(QStringLiteral("Port:"), port_);
    layout->addRow(QStringLiteral("Allowed clients:"), allow_);
    layout->addRow(readOnly_);
    layout->addRow(QStringLiteral("Clients at most:"), maxClients_);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    if (sharing) {
        for (QWidget* field : {static_cast<QWidget*>(address_), static_cast<QWidget*>(port_),
                               static_cast<QWidget*>(allow_), static_cast<QWidget*>(readOnly_),
                               static_cast<QWidget*>(maxClients_)})
            field->setEnabled(false);
        auto* stop = new QPushButton(QStringLiteral("Stop Sharing"));
        connect(stop, &QPushButton::clicked, this, [this] { done(StopSharing); });
        buttons->addWidget(stop);
    } else {
        auto* share = new QPushButton(QStringLiteral("Share"));
        share->setDefault(true);
        connect(share, &QPushButton::clicked, this, &CShareInstrumentDlg::OnShare);
        buttons->addWidget(share);
    }
    auto* close = new QPushButton(sharing ? QStringLiteral("Close") : QStringLiteral("Cancel"));
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(close);
    layout->addRow(buttons);
    setMinimumWidth(420);
    MakeFixedSize(*this);
}

void CShareInstrumentDlg::OnShare() {
    std::string why;
    ServeOptions chosen = options_;
    auto refuse = [&](QWidget* field) {
        QMessageBox::warning(this, windowTitle(), FromCoreText(why));
        field->setFocus();
    };
    auto listen = ParseListen(ToCoreText(address_->text().trimmed()), chosen, why);
    if (!listen)
        return refuse(address_);
    chosen = *listen;
    chosen.port = port_->value();
    auto allow = ParseAllowList(ToCoreText(allow_->text()), why);
    if (!allow)
        return refuse(allow_);
    chosen.allow = *allow;
    chosen.readOnly = readOnly_->isChecked();
    chosen.maxClients = maxClients_->value();
    if (why = chosen.Problem(); !why.empty())
        return refuse(allow_);
    options_ = chosen;
    accept();
}
