#pragma once

#include <string>

class CSettingsStore;

// Settings of a simulated run live in a file of their own, so that pointing the
// serial port at the simulator never touches the user's own settings.
std::string SimulatedSettingsPath();

// Points the RS232 link at the simulator's pseudo-terminal: RS232 on COM2 at
// 115200 baud, with COM2 resolved to `ptyPath`. False when a value could not be
// written.
bool PrepareSimulatedSettings(CSettingsStore& settings, const std::string& ptyPath);
