#include "faults/FaultTable.h"

#include <cstdlib>

namespace faults {

std::string TransportName(Transport transport) {
    switch (transport) {
    case Transport::Serial:
        return "serial";
    case Transport::Lan:
        return "lan";
    case Transport::Gpib:
        return "gpib";
    case Transport::Files:
        return "files";
    }
    return "?";
}

int Cell::TcpPort() const {
    if (!sim || sim->Address("tcp").empty())
        return 5000;
    const std::string address = sim->Address("tcp");
    return std::atoi(address.c_str() + address.rfind(':') + 1);
}

std::string Cell::Resource() const {
    switch (transport) {
    case Transport::Serial:
        return "ASRL" + (sim ? sim->Address("pty") : std::string()) + "::INSTR";
    case Transport::Lan:
        return "TCPIP::127.0.0.1::" + std::to_string(TcpPort()) + "::SOCKET";
    case Transport::Gpib:
        return "GPIB0::12::INSTR";
    case Transport::Files:
        break;
    }
    return {};
}

ProgramResult Cell::Cli(std::vector<std::string> args, const std::string& input) const {
    args.insert(args.begin(), {"--settings", settingsPath, "--port", Resource(),
                               "--test-time-divisor", std::to_string(TimeDivisor)});
    // Far beyond any operation's bound: the bound is asserted by the suite.
    return RunProgram(TUNDRIX_CLI_PROGRAM, args, input, std::chrono::seconds(90));
}

std::string SettingsFor(Transport transport, const CSimulatorProcess* sim) {
    const int portType = transport == Transport::Lan ? 3 : transport == Transport::Gpib ? 2 : 0;
    std::string pty = sim ? sim->Address("pty") : std::string();
    std::string tcp = sim ? sim->Address("tcp") : std::string();
    const std::string port = tcp.empty() ? "5000" : tcp.substr(tcp.rfind(':') + 1);
    return std::string(UserComment) +
           "\n[CommunicationSetup]\nPortType=" + std::to_string(portType) +
           "\nCommPort=1\nBaudRate=0\nGPIBAddr=12\nIPAddr0=127\nIPAddr1=0\nIPAddr2=0\n"
           "IPAddr3=1\nIPPort=" +
           port + "\n\n[SerialDevices]\nCOM2=" + (pty.empty() ? "/dev/tundrix-no-line" : pty) +
           "\n";
}

} // namespace faults
