#pragma once

#include <string>

class CSettingsStore;

// The "Comm Port:" list has ten entries, COM1..COM10. Each resolves to a tty
// device: COM1..COM4 = /dev/ttyS0..3, COM5..COM8 = /dev/ttyUSB0..3,
// COM9..COM10 = /dev/ttyACM0..1, each overridable in section "SerialDevices"
// (key "COMn"). Another number has no device unless the section names one.
std::string DefaultSerialDevice(int comNumber);
std::string SerialDevicePath(const CSettingsStore& settings, int comNumber);
