#pragma once

#include <QDialog>

class QPlainTextEdit;

// The About box: the product and its version in a read-only text, one OK button.
class CAboutDlg : public QDialog {
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    static QString AboutText();

private:
    QPlainTextEdit* text_;
};
