#pragma once

#include <QDialog>

class CSettingsStore;
class QComboBox;
class QLineEdit;

// "Communicaton Setup": the serial port of the list COM1..COM10, its line
// speed, and the tty device the chosen entry opens (section "SerialDevices").
class CCommSetUp : public QDialog {
    Q_OBJECT
public:
    CCommSetUp(CSettingsStore& settings, int portIndex, int baudIndex, QWidget* parent = nullptr);

    int PortIndex() const;
    int BaudIndex() const;
    // The device shown for the chosen entry, as the user left it.
    QString DevicePath() const;

private:
    void ShowDevice();

    CSettingsStore& settings_;
    QComboBox* port_;
    QComboBox* baud_;
    QLineEdit* device_;
};
