#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sys/stat.h>

#include "base/SettingsStore.h"
#include "base/SimulatorProcess.h"
#include "comm/CommLink.h"
#include "support/TestUi.h"

namespace {

// One simulated controller for the whole suite, reached over a real pseudo-terminal.
class LinkToSimulator : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        sim_ = new CSimulatorProcess;
        ASSERT_TRUE(sim_->Start(TUNDRIX_SIM_PROGRAM, {"--pty", "--model", "27"})) << sim_->Error();
    }
    static void TearDownTestSuite() {
        delete sim_;
        sim_ = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(link_.UseSerialDevice(sim_->Address("pty"), 0)) << ui_.Log();
    }

    std::string Query(const std::string& command) {
        std::string reply;
        EXPECT_EQ(Link::Success, link_.Transact(command, &reply)) << command;
        return reply;
    }

    static CSimulatorProcess* sim_;
    CSettingsStore settings_{""};
    TestUi ui_;
    CCommLink link_{settings_, ui_, ui_, ui_};
};

CSimulatorProcess* LinkToSimulator::sim_ = nullptr;

int CountOf(const std::string& text, char c) {
    return static_cast<int>(std::count(text.begin(), text.end(), c));
}

} // namespace

TEST_F(LinkToSimulator, TheSimulatorAnnouncesARealPseudoTerminal) {
    std::string pty = sim_->Address("pty");
    EXPECT_EQ(0u, pty.rfind("/dev/pts/", 0));
    struct stat st {};
    ASSERT_EQ(0, ::stat(pty.c_str(), &st));
    EXPECT_TRUE(S_ISCHR(st.st_mode));
}

TEST_F(LinkToSimulator, IdentifiesItselfInFourFieldsAndSevenNumbers) {
    std::string idn = Query("*IDN?");
    ASSERT_GE(idn.size(), 2u);
    EXPECT_EQ("\r\n", idn.substr(idn.size() - 2));
    EXPECT_EQ(3, CountOf(idn, ','));

    std::string idef = Query("SYST:IDEF?");
    int model = 0;
    unsigned long serial = 0;
    unsigned a = 0, b = 0, c = 0, d = 0;
    int last = 0;
    EXPECT_EQ(7, std::sscanf(idef.c_str(), "%d,%lu,%u,%u,%u,%u,%d", &model, &serial, &a, &b, &c, &d,
                             &last));
    EXPECT_EQ(27, model);
}

TEST_F(LinkToSimulator, ChainedInputQueriesAnswerInOneJoinedLine) {
    std::string reply = Query("INP A:TEMP?;UNIT?;NAME?;");
    ASSERT_EQ(2, CountOf(reply, ';')) << reply;
    std::string value = reply.substr(0, reply.find(';'));
    EXPECT_GT(std::stod(value), 0.0);
    EXPECT_EQ(0u, reply.find(value + ";K;"));
    EXPECT_EQ("\r\n", reply.substr(reply.size() - 2));
}

TEST_F(LinkToSimulator, CommandsChangeWhatLaterQueriesAnswer) {
    std::string command = "INP B:NAME Cold stage";
    EXPECT_EQ(Link::Success, link_.Transact(command, nullptr));
    EXPECT_EQ("Cold stage\r\n", Query("INP B:NAME?"));
    EXPECT_TRUE(ui_.Boxes().empty());
}
