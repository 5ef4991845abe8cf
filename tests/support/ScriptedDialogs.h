#pragma once

#include <optional>

#include "comm/LinkDialogs.h"
#include "comm/MyIPAddr.h"

// Connection dialogs that answer as a test tells them, and remember what they
// were preset with.
class ScriptedDialogs : public ILinkDialogs {
public:
    DialogOutcome outcome = DialogOutcome::Confirmed;
    std::optional<int> portType, portIndex, baudIndex, gpibAddress, ipPort;
    std::optional<MyIPAddr> ipAddress;
    int presetPortType = -1, presetPortIndex = -1, presetBaudIndex = -1, presetGpibAddress = -1;
    int presetIpPort = -1;
    MyIPAddr presetIpAddress;
    int runs = 0;

    DialogOutcome RunPortSelect(int& type) override {
        ++runs;
        presetPortType = type;
        if (portType)
            type = *portType;
        return outcome;
    }
    DialogOutcome RunCommSetup(int& port, int& baud) override {
        ++runs;
        presetPortIndex = port;
        presetBaudIndex = baud;
        if (portIndex)
            port = *portIndex;
        if (baudIndex)
            baud = *baudIndex;
        return outcome;
    }
    DialogOutcome RunGPIBAddress(int& address) override {
        ++runs;
        presetGpibAddress = address;
        if (gpibAddress)
            address = *gpibAddress;
        return outcome;
    }
    DialogOutcome RunIPEdit(MyIPAddr& address, int& port) override {
        ++runs;
        presetIpAddress = address;
        presetIpPort = port;
        if (ipAddress)
            address = *ipAddress;
        if (ipPort)
            port = *ipPort;
        return outcome;
    }
};
