#include "app/SimulatedRun.h"

#include "app/SettingsStore.h"

std::string SimulatedSettingsPath() { return SettingsFolder() + "/Tundrix-simulate.INI"; }

bool PrepareSimulatedSettings(CSettingsStore& settings, const std::string& ptyPath) {
    bool ok = settings.WriteInt("CommunicationSetup", "PortType", 0);
    ok = settings.WriteInt("CommunicationSetup", "CommPort", 1) && ok;
    ok = settings.WriteInt("CommunicationSetup", "BaudRate", 0) && ok;
    return settings.WriteString("SerialDevices", "COM2", ptyPath) && ok;
}
