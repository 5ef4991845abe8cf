#pragma once

#include <QLineEdit>

// The terminal's entry field: one line of at most the link's command length,
// and the text of the last command taken from it.
class CCommandEdit : public QLineEdit {
public:
    explicit CCommandEdit(QWidget* parent = nullptr);

    // Takes the first line of the field as the command; the field keeps its
    // text so that it can be sent again or edited.
    const QString& TakeCommand();
    const QString& LastCommand() const { return lastCommand_; }

private:
    QString lastCommand_;
};
