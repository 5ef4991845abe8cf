#pragma once

#include "comm/LinkDialogs.h"

class CSettingsStore;
class IMessageBoxes;
class QWidget;

// The connection dialogs as real windows, modal over `parent`. Called on the
// GUI thread only: the link runs them from menu commands and Connect.
class CLinkDialogs : public ILinkDialogs {
public:
    CLinkDialogs(CSettingsStore& settings, IMessageBoxes& boxes, QWidget* parent)
        : settings_(settings), boxes_(boxes), parent_(parent) {}

    DialogOutcome RunPortSelect(int& portType) override;
    DialogOutcome RunCommSetup(int& portIndex, int& baudIndex) override;
    DialogOutcome RunGPIBAddress(int& address) override;
    DialogOutcome RunIPEdit(MyIPAddr& address, int& port) override;

private:
    CSettingsStore& settings_;
    IMessageBoxes& boxes_;
    QWidget* parent_;
};
