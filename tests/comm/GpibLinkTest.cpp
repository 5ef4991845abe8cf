// The GPIB transport of the link with real libraries loaded by dlopen: a
// stand-in of the older kind (status in exported variables only) and the
// simulated GPIB library in front of the simulator.

#include <gtest/gtest.h>

#include <cstdlib>

#include "base/SettingsStore.h"
#include "base/SimulatorProcess.h"
#include "comm/CommLink.h"
#include "support/TestUi.h"

namespace {

// The library named for the whole of one test.
class GpibLibraryFor {
public:
    explicit GpibLibraryFor(const char* path) { ::setenv("TUNDRIX_GPIB_LIBRARY", path, 1); }
    ~GpibLibraryFor() { ::unsetenv("TUNDRIX_GPIB_LIBRARY"); }
};

const std::string StandInReply = "STAND-IN," + std::string(135, 'v') + "\r\n";

} // namespace

TEST(GpibStatusVariables, ALibraryWithoutThreadGettersIsReadThroughItsVariables) {
    GpibLibraryFor library(TUNDRIX_GPIB_STANDIN_LIBRARY);
    CSettingsStore settings("");
    TestUi ui;
    CCommLink link(settings, ui, ui, ui);
    link.UseGpibAddress(12);
    std::string reply;
    // 146 bytes in a read of 100 and one of 46: the counts come from ibcntl.
    ASSERT_EQ(Link::Success, link.Transact("*IDN?", &reply)) << ui.Log();
    EXPECT_EQ(StandInReply, reply);
    EXPECT_TRUE(link.HoldsGpibDevice());

    // iberr tells that nothing listens at address 5.
    link.SetGPIBAddress(5);
    EXPECT_EQ(Link::GpibFailure, link.Transact("*IDN?", &reply));
    EXPECT_EQ("GPIB: no instrument answers at address 5\n", ui.Log());
    EXPECT_TRUE(link.ConnectionLost());
    EXPECT_TRUE(ui.Boxes().empty());
}

namespace {

// The simulated controller on GPIB, reached through the simulated GPIB library.
class GpibToSimulator : public ::testing::Test {
protected:
    void Start(const std::vector<std::string>& faults = {}) {
        std::vector<std::string> args{"--gpib"};
        for (const auto& fault : faults) {
            args.push_back("--fault");
            args.push_back(fault);
        }
        ASSERT_TRUE(sim_.Start(TUNDRIX_SIM_PROGRAM, args, {"gpib"})) << sim_.Error();
        ::setenv("TUNDRIX_SIM_GPIB", sim_.Address("gpib").c_str(), 1);
    }
    void TearDown() override { ::unsetenv("TUNDRIX_SIM_GPIB"); }

    GpibLibraryFor library_{TUNDRIX_GPIB_SIM_LIBRARY};
    CSimulatorProcess sim_;
    CSettingsStore settings_{""};
    TestUi ui_;
};

} // namespace

TEST_F(GpibToSimulator, ANewAddressTakesTheDeviceAtTheOldOneOffline) {
    Start();
    CCommLink link(settings_, ui_, ui_, ui_);
    link.UseGpibAddress(12);
    std::string reply;
    ASSERT_EQ(Link::Success, link.Transact("*IDN?", &reply)) << ui_.Log();
    EXPECT_EQ(0u, reply.find("ARKTRONIC,"));
    ASSERT_TRUE(link.HoldsGpibDevice());

    link.SetGPIBAddress(5);
    EXPECT_FALSE(link.HoldsGpibDevice());
    // The instrument at 12 must not answer for address 5.
    EXPECT_EQ(Link::GpibFailure, link.Transact("*IDN?", &reply));
    EXPECT_EQ("GPIB: no instrument answers at address 5\n", ui_.Log());
}

TEST_F(GpibToSimulator, ASecondProgramOnTheDeviceIsRefusedUntilTheFirstLetsGo) {
    Start();
    auto first = std::make_unique<CCommLink>(settings_, ui_, ui_, ui_);
    first->UseGpibAddress(12);
    std::string reply;
    ASSERT_EQ(Link::Success, first->Transact("INP A:NAME?", &reply)) << ui_.Log();

    TestUi otherUi;
    CCommLink second(settings_, otherUi, otherUi, otherUi);
    second.UseGpibAddress(12);
    EXPECT_EQ(Link::GpibFailure, second.Transact("INP A:NAME?", &reply));
    EXPECT_EQ(0u, otherUi.Log().find("GPIB0::12::INSTR: another program is using this instrument"))
        << otherUi.Log();
    EXPECT_FALSE(second.HoldsGpibDevice());

    first.reset();
    EXPECT_EQ(Link::Success, second.Transact("INP A:NAME?", &reply));
    EXPECT_EQ("Input A\r\n", reply);
}

TEST_F(GpibToSimulator, ALateReplyIsDiscardedBeforeTheNextQuery) {
    // Each reply 1.5 s late, later than the one-second read; a device clear does not stop it.
    Start({"late:1500"});
    CCommLink link(settings_, ui_, ui_, ui_);
    link.UseGpibAddress(12);
    std::string reply;
    // No answer in time: an empty reply, as GPIB gives it.
    EXPECT_EQ(Link::Success, link.TransactQuiet("INP A:NAME?", &reply));
    EXPECT_EQ("", reply);
    EXPECT_EQ(Link::Success, link.TransactQuiet("INP B:NAME?", &reply));
    EXPECT_NE("Input A\r\n", reply);
    EXPECT_EQ("Late reply discarded (it came after its query had timed out): Input A\n", ui_.Log());
}

// "End GPIB Replies at END": a reply is complete at the read that brings END,
// however many reads of 100 bytes it takes, without a read that times out;
// the next query finds nothing of it left.
TEST_F(GpibToSimulator, WithEndGpibRepliesAtEndAReplyIsCompleteAtItsLastByte) {
    Start();
    CCommLink link(settings_, ui_, ui_, ui_);
    link.UseGpibAddress(12);
    link.SetGpibEndsReplies(true);
    std::string reply;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(Link::Success, link.Query("*IDN?;*IDN?;*IDN?;*IDN?", reply));
    EXPECT_EQ(4 * 30 + 3 + 2u, reply.size()) << reply;
    ASSERT_EQ(Link::Success, link.Query("*IDN?", reply));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));
    EXPECT_EQ("ARKTRONIC,TX-28,SN280417,1.4.2\r\n", reply);
    EXPECT_EQ("", ui_.Log());
}

TEST_F(GpibToSimulator, AReplyThatNeverEndsIsClearedAtItsDeadline) {
    Start({"trickle:200"});
    CCommLink link(settings_, ui_, ui_, ui_);
    link.UseGpibAddress(12);
    std::string reply;
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Link::GpibFailure, link.Transact("*IDN?", &reply));
    auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, 3 * std::chrono::seconds(1) - std::chrono::milliseconds(100));
    EXPECT_LT(took, 3 * std::chrono::seconds(1) + std::chrono::seconds(2));
    EXPECT_EQ(std::vector<std::string>{"Communication Error"}, ui_.BoxTexts());
}
