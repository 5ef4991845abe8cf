#include "comm/SerialDevices.h"

#include "base/SettingsStore.h"

std::string DefaultSerialDevice(int comNumber) {
    if (comNumber >= 1 && comNumber <= 4)
        return "/dev/ttyS" + std::to_string(comNumber - 1);
    if (comNumber >= 5 && comNumber <= 8)
        return "/dev/ttyUSB" + std::to_string(comNumber - 5);
    if (comNumber >= 9 && comNumber <= 10)
        return "/dev/ttyACM" + std::to_string(comNumber - 9);
    return {};
}

std::string SerialDevicePath(const CSettingsStore& settings, int comNumber) {
    return settings.GetString("SerialDevices", "COM" + std::to_string(comNumber),
                              DefaultSerialDevice(comNumber));
}
