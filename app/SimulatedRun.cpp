#include "app/SimulatedRun.h"

#include <cstdlib>

#include "base/SettingsStore.h"
#include "base/ShippedFiles.h"
#include "base/SimulatorProcess.h"
#include "comm/LinkDialogs.h"
#include "comm/MyIPAddr.h"

std::string SimulatedSettingsPath() {
    return SettingsFolder() + "/Tundrix-simulate.INI";
}

std::vector<std::string> SimulatorArguments(int model) {
    // A port that "Edit IP Address" accepts, so that Connect over LAN reaches
    // the simulator; none below 1024, which only the superuser may take.
    const std::string ports =
        std::to_string(FirstSimulatedLanPort) + "-" + std::to_string(MaxIPPort);
    return {"--pty", "--tcp", ports, "--gpib", "--model", std::to_string(model)};
}

std::vector<std::string> SimulatorServices() {
    return {"pty", "tcp", "gpib"};
}

bool PrepareSimulatedSettings(CSettingsStore& settings, const CSimulatorProcess& simulator) {
    constexpr const char* Section = "CommunicationSetup";
    bool ok = settings.WriteInt(Section, "CommPort", 1);
    ok = settings.WriteInt(Section, "BaudRate", 0) && ok;
    ok = settings.WriteString("SerialDevices", "COM2", simulator.Address("pty")) && ok;

    // "tcp: 127.0.0.1:PORT"
    const std::string tcp = simulator.Address("tcp");
    const auto colon = tcp.rfind(':');
    if (colon != std::string::npos) {
        if (auto address = MyIPAddr::Parse(tcp.substr(0, colon))) {
            for (int i = 0; i < 4; ++i)
                ok = settings.WriteInt(Section, "IPAddr" + std::to_string(i), address->Octet(i)) &&
                     ok;
            ok = settings.WriteInt(Section, "IPPort", std::atoi(tcp.c_str() + colon + 1)) && ok;
        }
    }

    const std::string gpib = simulator.Address("gpib");
    if (!gpib.empty()) {
        ok = settings.WriteInt(Section, "GPIBAddr", 12) && ok;
        ::setenv("TUNDRIX_SIM_GPIB", gpib.c_str(), 1);
        const std::string library = FindShippedLibrary("libtundrix-gpib-sim.so");
        if (!library.empty())
            ::setenv("TUNDRIX_GPIB_LIBRARY", library.c_str(), 0);
    }
    return ok;
}
