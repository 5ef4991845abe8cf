#pragma once

#include <string>
#include <vector>

class CSettingsStore;
class CSimulatorProcess;

// Settings of a simulated run live in a file of their own, so that pointing the
// link at the simulator never touches the user's own settings.
std::string SimulatedSettingsPath();

// The simulator of a simulated run serves all three transports; LAN on a free
// port from FirstSimulatedLanPort to the highest port "Edit IP Address" takes.
inline constexpr int FirstSimulatedLanPort = 1024;
std::vector<std::string> SimulatorArguments(int model);
std::vector<std::string> SimulatorServices();

// Points every transport at the running simulator: RS232 on COM2 at 115200 baud
// with COM2 resolved to its pseudo-terminal; LAN at its loopback address and
// port, which "Edit IP Address" then offers on Connect; GPIB at
// address 12 through the simulated GPIB library (TUNDRIX_GPIB_LIBRARY, unless
// already set, and TUNDRIX_SIM_GPIB). The transport chosen last in a simulated
// run is kept. False when a value could not be written.
bool PrepareSimulatedSettings(CSettingsStore& settings, const CSimulatorProcess& simulator);
