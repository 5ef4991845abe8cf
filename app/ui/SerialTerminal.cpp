#include "app/ui/SerialTerminal.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "app/ui/CommandEdit.h"
#include "base/SettingsStore.h"
#include "base/WindowRect.h"
#include "base/ui/WindowPlacement.h"

CSerialTerminal::CSerialTerminal(CSettingsStore& settings, QWidget* parent)
    : QWidget(parent, Qt::Window), settings_(settings), edit_(new CCommandEdit) {
    setWindowTitle(QStringLiteral("Serial Terminal"));

    auto* send = new QPushButton(QStringLiteral("Send"));
    auto* quit = new QPushButton(QStringLiteral("Quit"));
    edit_->setMinimumWidth(edit_->fontMetrics().averageCharWidth() * 40);
    connect(edit_, &QLineEdit::returnPressed, this, &CSerialTerminal::SendCommand);
    connect(send, &QPushButton::clicked, this, &CSerialTerminal::SendCommand);
    connect(quit, &QPushButton::clicked, this, &QWidget::hide);

    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Enter Command:")), 0, 1);
    layout->addWidget(send, 1, 0);
    layout->addWidget(edit_, 1, 1);
    layout->addWidget(quit, 2, 0);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(3, 1);

    const QRect stored = ToQRect(ReadWindowRect(settings_, PlacementSection));
    if (!stored.isEmpty() && IsOnAnyScreen(stored))
        setGeometry(stored);
    else
        resize(sizeHint());
}

void CSerialTerminal::SendCommand() {
    Q_EMIT CommandEntered(edit_->TakeCommand());
}

void CSerialTerminal::closeEvent(QCloseEvent* event) {
    // The results of placement writes are not reported.
    WriteWindowRect(settings_, PlacementSection, ToWindowRect(geometry()));
    QWidget::closeEvent(event);
}
