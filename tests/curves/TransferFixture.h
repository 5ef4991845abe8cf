#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "base/SettingsStore.h"
#include "base/SimulatorProcess.h"
#include "base/TransactionMutex.h"
#include "comm/CommLink.h"
#include "comm/MyIPAddr.h"
#include "curves/CurveTestFiles.h"
#include "curves/GivenCurveHeader.h"
#include "curves/GivenTableNumbers.h"
#include "curves/TransferContext.h"
#include "support/TestUi.h"

// One simulated heater model for a suite, on all three transports, with a
// transcript of every line it receives; a link to it on the transport a test
// asks for, and the transfer's dialogs answered as the test says.
class TransferFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new TempDir;
        sim_ = new CSimulatorProcess;
        started_ = sim_->Start(TUNDRIX_SIM_PROGRAM,
                               {"--pty", "--tcp", "0", "--gpib", "--model", "28", "--transcript",
                                dir_->File("transcript.txt")},
                               {"pty", "tcp", "gpib"});
    }
    static void TearDownTestSuite() {
        delete sim_;
        sim_ = nullptr;
        delete dir_;
        dir_ = nullptr;
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

    CCommLink& Connect(int portType) {
        link_ = std::make_unique<CCommLink>(settings_, ui_, ui_, ui_);
        if (portType == PortRS232) {
            EXPECT_TRUE(link_->UseSerialDevice(sim_->Address("pty"), 0));
        } else if (portType == PortGPIB) {
            link_->UseGpibAddress(12);
        } else {
            const std::string tcp = sim_->Address("tcp");
            const std::size_t colon = tcp.rfind(':');
            link_->UseLanAddress(*MyIPAddr::Parse(tcp.substr(0, colon)),
                                 std::stoi(tcp.substr(colon + 1)));
            EXPECT_EQ(link_->ConnectLAN(), 1);
        }
        return *link_;
    }

    TransferContext Context() {
        return TransferContext{
            *link_,  mutex_, ui_, ui_, ui_, files_, header_, numbers_, [this] { ++hints_; },
            options_};
    }

    static std::vector<std::string> Transcript() {
        std::vector<std::string> lines;
        std::istringstream text(ReadFile(dir_->File("transcript.txt")));
        for (std::string line; std::getline(text, line);)
            lines.push_back(line);
        return lines;
    }
    // The lines the simulator received since `mark`, once a "*CLS" sent now
    // has come after them: every line of the operation, in order.
    std::vector<std::string> ReceivedSince(std::size_t mark) {
        // The "*CLS" of an earlier call is already there: this one's comes later.
        const std::size_t before = std::max(mark, Transcript().size());
        EXPECT_EQ(link_->Transact(std::string("*CLS"), nullptr), Link::Success);
        std::vector<std::string> lines;
        for (int wait = 0; wait < 300; ++wait) {
            lines = Transcript();
            if (lines.size() > before && lines.back() == "*CLS")
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (lines.size() <= before || lines.back() != "*CLS") {
            ADD_FAILURE() << "the simulator did not receive *CLS";
            return {};
        }
        return std::vector<std::string>(lines.begin() + static_cast<long>(mark), lines.end() - 1);
    }
    std::string Write(const std::string& name, const std::string& text) {
        return WriteFile(dir_->File(name), text);
    }
    bool MutexFree() {
        if (!mutex_.try_lock())
            return false;
        mutex_.unlock();
        return true;
    }

    inline static TempDir* dir_ = nullptr;
    inline static CSimulatorProcess* sim_ = nullptr;
    inline static bool started_ = false;
    CSettingsStore settings_{""};
    TestUi ui_;
    std::unique_ptr<CCommLink> link_;
    CTransactionMutex mutex_;
    ScriptedFiles files_;
    CGivenCurveHeader header_;
    CGivenTableNumbers numbers_;
    CurveTransferOptions options_;
    int hints_ = 0;
};
