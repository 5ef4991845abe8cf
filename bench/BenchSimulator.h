#pragma once

#include <string>
#include <vector>

#include "base/SettingsStore.h"
#include "base/SimulatorProcess.h"
#include "bench/SilentUi.h"
#include "comm/CommLink.h"

// The simulated controller on all three transports at once (pseudo-terminal,
// loopback TCP, simulated GPIB), for the benchmarks and the speed guard. GPIB
// goes through the simulated library, which this process's environment names
// before any link loads a library.
class BenchSimulator {
public:
    // `extraArgs`: the model, the inputs, the line rate, ... as tundrix-sim takes them.
    bool Start(const std::vector<std::string>& extraArgs = {});
    bool IsRunning() const { return sim_.IsRunning(); }
    const std::string& Error() const { return error_; }
    // The loopback TCP port the simulator listens on.
    int TcpPort() const;
    // Points `link` at the simulator on `transport` (PortRS232, PortGPIB at
    // address 12, PortLAN connected); false, with Error() saying why, when it
    // did not open.
    bool Open(CCommLink& link, int transport);

private:
    CSimulatorProcess sim_;
    std::string error_;
};

// A simulator of its own and a link to it on one transport; `error` says why
// not, when the link is not ready.
struct SimulatedLink {
    // `expectedBox`: the message box a good run ends with (see SilentUi).
    SimulatedLink(int transport, const std::vector<std::string>& extraArgs,
                  std::string expectedBox = {});

    BenchSimulator sim;
    CSettingsStore settings{""};
    SilentUi ui;
    CCommLink link{settings, ui, ui, ui};
    std::string error;
};
