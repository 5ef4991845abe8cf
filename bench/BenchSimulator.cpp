#include "bench/BenchSimulator.h"

#include <cstdlib>
#include <utility>

#include "comm/MyIPAddr.h"

bool BenchSimulator::Start(const std::vector<std::string>& extraArgs) {
    std::vector<std::string> args{"--pty", "--tcp", "0", "--gpib"};
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    if (!sim_.Start(TUNDRIX_SIM_PROGRAM, args, {"pty", "tcp", "gpib"})) {
        error_ = sim_.Error();
        return false;
    }
    ::setenv("TUNDRIX_GPIB_LIBRARY", TUNDRIX_GPIB_SIM_LIBRARY, 1);
    ::setenv("TUNDRIX_SIM_GPIB", sim_.Address("gpib").c_str(), 1);
    return true;
}

int BenchSimulator::TcpPort() const {
    const std::string tcp = sim_.Address("tcp");
    return std::atoi(tcp.c_str() + tcp.rfind(':') + 1);
}

bool BenchSimulator::Open(CCommLink& link, int transport) {
    switch (transport) {
    case PortRS232:
        if (link.UseSerialDevice(sim_.Address("pty"), 0))
            return true;
        error_ = "the simulator's pseudo-terminal did not open";
        return false;
    case PortGPIB:
        link.UseGpibAddress(12);
        return true;
    default:
        link.UseLanAddress(*MyIPAddr::Parse("127.0.0.1"), TcpPort());
        if (link.ConnectLAN() == 1)
            return true;
        error_ = "no LAN connection: " + link.LanError();
        return false;
    }
}

SimulatedLink::SimulatedLink(int transport, const std::vector<std::string>& extraArgs,
                             std::string expectedBox)
    : ui(std::move(expectedBox)) {
    if (!sim.Start(extraArgs) || !sim.Open(link, transport))
        error = sim.Error();
}
