#pragma once

#include <QDialog>

#include "comm/LinkDialogs.h"
#include "comm/MyIPAddr.h"

class QLineEdit;
class QSpinBox;

// "Edit IP Address": the instrument's IPv4 address and TCP port.
class CIPEdit : public QDialog {
    Q_OBJECT
public:
    static constexpr int MaxPort = MaxIPPort;

    CIPEdit(const MyIPAddr& address, int port, QWidget* parent = nullptr);
    MyIPAddr Address() const { return address_; }
    int Port() const { return port_; }

private:
    void OnConnect();

    QSpinBox* octets_[4];
    QLineEdit* portField_;
    MyIPAddr address_;
    int port_;
};
