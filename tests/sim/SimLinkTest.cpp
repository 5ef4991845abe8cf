// The utility's own link over GPIB and LAN against the simulator: GPIB through
// the simulated GPIB library, loaded by the link as it loads any GPIB library;
// LAN through the simulator's TCP port.

#include "ReplyText.h"
#include "base/SettingsStore.h"
#include "base/SimulatorProcess.h"
#include "comm/CommLink.h"
#include "comm/MyIPAddr.h"
#include "support/TestUi.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class LinkToSimulatorTransports : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        sim_ = new CSimulatorProcess;
        started_ = sim_->Start(TUNDRIX_SIM_PROGRAM, {"--tcp", "0", "--gpib"}, {"tcp", "gpib"});
    }
    static void TearDownTestSuite() {
        delete sim_;
        sim_ = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(started_) << sim_->Error();
        ::setenv("TUNDRIX_GPIB_LIBRARY", TUNDRIX_GPIB_SIM_LIBRARY, 1);
        ::setenv("TUNDRIX_SIM_GPIB", sim_->Address("gpib").c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("TUNDRIX_GPIB_LIBRARY");
        ::unsetenv("TUNDRIX_SIM_GPIB");
    }

    // A link set up as the settings file of a GPIB user says.
    std::unique_ptr<CCommLink> GpibLink(int address) {
        settings_.WriteInt("CommunicationSetup", "PortType", 2);
        settings_.WriteInt("CommunicationSetup", "GPIBAddr", address);
        auto link = std::make_unique<CCommLink>(settings_, ui_, ui_, ui_);
        link->LoadSettings();
        EXPECT_EQ(link->GetPortType(), PortGPIB);
        return link;
    }
    std::unique_ptr<CCommLink> LanLink() {
        auto link = std::make_unique<CCommLink>(settings_, ui_, ui_, ui_);
        const std::string tcp = sim_->Address("tcp");
        const std::size_t colon = tcp.rfind(':');
        link->UseLanAddress(*MyIPAddr::Parse(tcp.substr(0, colon)),
                            std::stoi(tcp.substr(colon + 1)));
        EXPECT_EQ(link->ConnectLAN(), 1) << ui_.Log();
        return link;
    }

    static CSimulatorProcess* sim_;
    static bool started_;
    CSettingsStore settings_{""};
    TestUi ui_;
};

CSimulatorProcess* LinkToSimulatorTransports::sim_ = nullptr;
bool LinkToSimulatorTransports::started_ = false;

TEST_F(LinkToSimulatorTransports, GpibQueryReadsTheWholeReplyAndEndsWithOneTimeOut) {
    auto link = GpibLink(12);
    std::string reply;
    Clock::time_point start = Clock::now();
    EXPECT_EQ(link->Transact("*IDN?", &reply), Link::Success);
    const Clock::duration took = Clock::now() - start;
    EXPECT_EQ(reply, Identity + "\r\n");
    EXPECT_GE(took, 950ms);
    EXPECT_LT(took, 2500ms);
    EXPECT_TRUE(link->HoldsGpibDevice());

    // A setting reads nothing, so it does not wait for a time-out.
    start = Clock::now();
    EXPECT_EQ(link->Transact("INP A:NAME Gpiblink", &reply), Link::Success);
    EXPECT_LT(Clock::now() - start, 500ms);

    // Longer than one 100-byte read: joined in order.
    EXPECT_EQ(link->Transact("*IDN?;*IDN?;*IDN?;*IDN?;:INP A:NAME?", &reply), Link::Success);
    EXPECT_EQ(reply, Identity + ";" + Identity + ";" + Identity + ";" + Identity + ";Gpiblink\r\n");
    EXPECT_TRUE(ui_.Boxes().empty());
}

TEST_F(LinkToSimulatorTransports, GpibTableIsReadPieceByPieceWithProgress) {
    auto link = GpibLink(12);
    const std::string command = "*IDN?;*IDN?;*IDN?;*IDN?;*IDN?";
    std::string reply;
    EXPECT_EQ(link->ReadTable(2, "Curve upload", &command, &reply), 2);
    std::string whole;
    for (int i = 0; i < 5; ++i) {
        whole += (i > 0 ? ";" : "") + Identity;
    }
    whole += "\r\n";
    ASSERT_EQ(whole.size(), 156u);
    // Each read is one line of the table.
    EXPECT_EQ(reply, whole.substr(0, 100) + "\n" + whole.substr(100) + "\n");
    EXPECT_EQ(ui_.Captions(), std::vector<std::string>{"Curve upload"});
    EXPECT_EQ(ui_.Progress(), (std::vector<int>{0, 50, 100}));
    EXPECT_FALSE(ui_.ProgressOpen());
    EXPECT_TRUE(ui_.Boxes().empty());
}

TEST_F(LinkToSimulatorTransports, GpibAddressWithoutADeviceFailsWithoutABoxAndIsLoggedOnce) {
    auto link = GpibLink(5);
    std::string reply;
    for (int attempt = 0; attempt < 2; ++attempt) {
        EXPECT_EQ(link->Transact("*IDN?", &reply), Link::GpibFailure);
        EXPECT_FALSE(link->HoldsGpibDevice());
    }
    EXPECT_TRUE(ui_.Boxes().empty());
    EXPECT_EQ(ui_.Log(), "GPIB: no instrument answers at address 5\n");
}

TEST_F(LinkToSimulatorTransports, LanQueryAndOneControllerBehindBothTransports) {
    auto lan = LanLink();
    std::string reply;
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(lan->Transact("*IDN?", &reply), Link::Success);
    EXPECT_EQ(reply, Identity + "\r\n");
    EXPECT_LT(Clock::now() - start, 1s) << "a LAN reply needs no time-out";

    EXPECT_EQ(lan->Transact("INP B:NAME Vialan", &reply), Link::Success);
    auto gpib = GpibLink(12);
    EXPECT_EQ(gpib->Transact("INP B:NAME?", &reply), Link::Success);
    EXPECT_EQ(reply, "Vialan\r\n");
    EXPECT_TRUE(ui_.Boxes().empty());
}

} // namespace
