#pragma once

#include <QDialog>

class QRadioButton;

// "Port Select Dialog": RS232, GPIB or LAN.
class CPortSelect : public QDialog {
    Q_OBJECT
public:
    explicit CPortSelect(int portType, QWidget* parent = nullptr);
    // 0 RS232, 2 GPIB, 3 LAN; starts as the current type.
    int ChosenType() const { return chosen_; }
    int PreviousType() const { return previous_; }

private:
    QRadioButton* AddChoice(const QString& text, int type);

    int previous_;
    int chosen_;
};
