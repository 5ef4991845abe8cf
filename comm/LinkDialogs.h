#pragma once

class MyIPAddr;

// "Edit IP Address" takes TCP ports from 0 to this.
inline constexpr int MaxIPPort = 10000;

// How a connection dialog ended.
enum class DialogOutcome {
    Confirmed,
    Cancelled,
    NotCreated, // the link then shows "Could not create dialog box"
};

// The four connection dialogs as the link and Connect use them: each is preset
// with the current values and, when confirmed, leaves the chosen ones in its
// arguments. The GUI implements them with real dialogs, the tests with answers.
class ILinkDialogs {
public:
    virtual ~ILinkDialogs() = default;
    // "Port Select Dialog": 0 RS232, 2 GPIB, 3 LAN.
    virtual DialogOutcome RunPortSelect(int& portType) = 0;
    // "Communicaton Setup": port index 0..9 (COM1..COM10), baud index 0..7.
    virtual DialogOutcome RunCommSetup(int& portIndex, int& baudIndex) = 0;
    // "Edit GPIB Address Dialog": 0..31.
    virtual DialogOutcome RunGPIBAddress(int& address) = 0;
    // "Edit IP Address": IPv4 address and TCP port 0..MaxIPPort.
    virtual DialogOutcome RunIPEdit(MyIPAddr& address, int& port) = 0;
};
