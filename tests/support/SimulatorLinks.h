#pragma once

#include <cstdlib>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "base/SimulatorProcess.h"
#include "comm/CommLink.h"
#include "comm/MyIPAddr.h"

// `link` on the simulator's GPIB device at address 12, through the simulated
// GPIB library named in the environment, as a user would name another one.
inline void UseSimulatedGpib(const CSimulatorProcess& sim, CCommLink& link) {
    ::setenv("TUNDRIX_GPIB_LIBRARY", TUNDRIX_GPIB_SIM_LIBRARY, 1);
    ::setenv("TUNDRIX_SIM_GPIB", sim.Address("gpib").c_str(), 1);
    link.UseGpibAddress(12);
}

// The simulated controller on all three transports at once, and links to it
// opened as the utility opens them: RS232 on its pseudo-terminal, GPIB through
// the simulated GPIB library, LAN on its TCP port.
class SimulatorOnAllTransports {
public:
    static constexpr int Transports[] = {PortRS232, PortGPIB, PortLAN};

    bool Start() {
        return sim_.Start(TUNDRIX_SIM_PROGRAM, {"--pty", "--tcp", "0", "--gpib"},
                          {"pty", "tcp", "gpib"});
    }
    const CSimulatorProcess& Process() const { return sim_; }

    // A link on `portType`; for LAN already connected.
    std::unique_ptr<CCommLink> Link(int portType, CSettingsStore& settings, IMessageBoxes& boxes,
                                    IMessageLog& log, ITransferProgress& progress) const {
        auto link = std::make_unique<CCommLink>(settings, boxes, log, progress);
        switch (portType) {
        case PortGPIB:
            UseSimulatedGpib(sim_, *link);
            break;
        case PortLAN: {
            const std::string tcp = sim_.Address("tcp");
            const std::size_t colon = tcp.rfind(':');
            link->UseLanAddress(*MyIPAddr::Parse(tcp.substr(0, colon)),
                                std::stoi(tcp.substr(colon + 1)));
            link->ConnectLAN();
            break;
        }
        default:
            link->UseSerialDevice(sim_.Address("pty"), 0);
            break;
        }
        return link;
    }

    static const char* Name(int portType) {
        return portType == PortGPIB ? "GPIB" : portType == PortLAN ? "LAN" : "RS232";
    }

private:
    CSimulatorProcess sim_;
};

// A suite run once for each transport (its parameter) against one simulator
// that serves all three, started once for the whole suite.
class OnEachTransport : public ::testing::TestWithParam<int> {
protected:
    static void SetUpTestSuite() {
        sim_ = std::make_unique<SimulatorOnAllTransports>();
        started_ = sim_->Start();
    }
    static void TearDownTestSuite() { sim_.reset(); }
    void SetUp() override { ASSERT_TRUE(started_) << sim_->Process().Error(); }

    inline static std::unique_ptr<SimulatorOnAllTransports> sim_;
    inline static bool started_ = false;
};
