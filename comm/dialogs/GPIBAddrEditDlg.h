#pragma once

#include <QDialog>

class QListWidget;

// "Edit GPIB Address Dialog": one of the addresses 0..31.
class CGPIBAddrEditDlg : public QDialog {
    Q_OBJECT
public:
    explicit CGPIBAddrEditDlg(int address, QWidget* parent = nullptr);
    int Address() const;

private:
    QListWidget* list_;
};
