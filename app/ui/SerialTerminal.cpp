#include "app/ui/SerialTerminal.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "app/ui/CommandEdit.h"
#include "base/SettingsStore.h"
#include "base/WindowRect.h"
#include "base/ui/WindowPlacement.h"

CSerialTerminal::CSerialTerminal(CSettingsStore& settings, QWidget* parent)
    : QWidget(parent, Qt::Window), settings_(settings), edit_(new CCommandEdit),
      limitNote_(new QLabel) {
    setWindowTitle(QStringLiteral("Serial Terminal"));

    auto* send = new QPushButton(QStringLiteral("Send"));
    auto* quit = new QPushButton(QStringLiteral("Quit"));
    edit_->setMinimumWidth(edit_->fontMetrics().averageCharWidth() * 40);
    edit_->setToolTip(QStringLiteral("One command line of at most %1 characters; Return sends it")
                          .arg(edit_->maxLength()));
    limitNote_->setText(
        QStringLiteral("%1 characters: the longest line the link sends").arg(edit_->maxLength()));
    limitNote_->setVisible(false);
    connect(edit_, &QLineEdit::returnPressed, this, &CSerialTerminal::SendCommand);
    connect(edit_, &QLineEdit::textChanged, this, &CSerialTerminal::ShowLimitNote);
    connect(send, &QPushButton::clicked, this, &CSerialTerminal::SendCommand);
    connect(quit, &QPushButton::clicked, this, &QWidget::hide);

    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Enter Command:")), 0, 1);
    layout->addWidget(send, 1, 0);
    layout->addWidget(edit_, 1, 1);
    layout->addWidget(quit, 2, 0);
    layout->addWidget(limitNote_, 2, 1);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(3, 1);
    // The keyboard starts in the field, so that the first characters typed are not lost.
    setTabOrder(edit_, send);
    setTabOrder(send, quit);
    setFocusProxy(edit_);

    const QRect stored = ToQRect(ReadWindowRect(settings_, PlacementSection));
    if (!stored.isEmpty() && IsOnAnyScreen(stored)) {
        setGeometry(stored);
        placed_ = true;
    } else {
        resize(sizeHint());
    }
}

void CSerialTerminal::ShowBeside(const QRect& mainWindow) {
    if (!placed_) {
        const QScreen* shown = screen();
        if (shown != nullptr)
            move(BesidePlace(frameGeometry().size(), mainWindow, shown->availableGeometry()));
        placed_ = true;
    }
    show();
    raise();
    activateWindow();
    edit_->setFocus(Qt::ActiveWindowFocusReason);
}

void CSerialTerminal::SendCommand() {
    Q_EMIT CommandEntered(edit_->TakeCommand());
}

void CSerialTerminal::ShowLimitNote() {
    limitNote_->setVisible(edit_->text().size() >= edit_->maxLength());
}

void CSerialTerminal::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    edit_->setFocus(Qt::ActiveWindowFocusReason);
}

void CSerialTerminal::closeEvent(QCloseEvent* event) {
    // The results of placement writes are not reported.
    WriteWindowRect(settings_, PlacementSection, ToWindowRect(geometry()));
    placed_ = true;
    QWidget::closeEvent(event);
}
