// Transfers against an instrument that does not answer. Over GPIB a query the
// instrument never answers ends with the link's success and an empty reply
// (the link's own result codes stay as they are): no transfer may take that
// for an answer.

#include <gtest/gtest.h>

#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "base/SettingsStore.h"
#include "base/SimulatorProcess.h"
#include "base/TransactionMutex.h"
#include "comm/CommLink.h"
#include "curves/CurveTestFiles.h"
#include "curves/DownloadCurve.h"
#include "curves/DownloadPIDTable.h"
#include "curves/GivenCurveHeader.h"
#include "curves/GivenTableNumbers.h"
#include "curves/TransferContext.h"
#include "curves/UploadPIDTable.h"
#include "support/PtyPeer.h"
#include "support/SimulatorLinks.h"
#include "support/TestUi.h"
#include "support/WholeFile.h"

namespace {

class UnansweredTransfer : public ::testing::Test {
protected:
    TransferContext Context() {
        return TransferContext{link_,  mutex_,  ui_,      ui_,     ui_,
                               files_, header_, numbers_, nullptr, options_};
    }
    bool MutexFree() {
        if (!mutex_.try_lock())
            return false;
        mutex_.unlock();
        return true;
    }
    // An instrument on a pseudo-terminal that describes its user curves and
    // answers "*IDN?" with nothing but the line end; the lines it received.
    void AnswerIdentityWithNothing() {
        peer_.StartResponder([this](const std::string& received) {
            std::string line = received;
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            std::lock_guard lock(linesMutex_);
            lines_.push_back(line);
            if (line.starts_with("SENSORIX? "))
                return std::string("User Curve,None,0\r\n");
            return line == "*IDN?" ? std::string("\r\n") : std::string();
        });
        ASSERT_TRUE(link_.UseSerialDevice(peer_.Device(), 0));
    }
    std::vector<std::string> Lines() {
        std::lock_guard lock(linesMutex_);
        return lines_;
    }

    TempDir dir_;
    CSettingsStore settings_{""};
    TestUi ui_;
    CCommLink link_{settings_, ui_, ui_, ui_};
    CTransactionMutex mutex_;
    ScriptedFiles files_;
    CGivenCurveHeader header_;
    CGivenTableNumbers numbers_;
    CurveTransferOptions options_;
    PtyPeer peer_;
    std::mutex linesMutex_;
    std::vector<std::string> lines_;
};

} // namespace

TEST_F(UnansweredTransfer, ACurveDownloadSendsNothingAfterAnEmptyIdentity) {
    AnswerIdentityWithNothing();
    files_.openAnswers = {
        WriteFile(dir_.File("probe.crv"),
                  "Probe\nDiode\n1.0\nVolts\n0.5 300\n1.0 77\n1.25 20.5\n1.5 4.25\n;\n")};
    numbers_.userCurve = 2;
    EXPECT_EQ(DownloadCurve(Context()), TransferOutcome::CommunicationFailed);
    EXPECT_EQ(ui_.BoxTexts(), std::vector<std::string>{"Communication Error"});
    ASSERT_FALSE(Lines().empty());
    EXPECT_EQ(Lines().back(), "*IDN?");
    EXPECT_TRUE(MutexFree());
}

TEST_F(UnansweredTransfer, APidDownloadSendsNothingAfterAnEmptyIdentity) {
    AnswerIdentityWithNothing();
    files_.openAnswers = {WriteFile(dir_.File("zones.pid"),
                                    "Zones\n20.0 40.0 25.0 0.0 Low\n50.0 60.0 30.0 0.0 Med\n;\n")};
    numbers_.pidTable = 1;
    EXPECT_EQ(DownloadPIDTable(Context()), TransferOutcome::CommunicationFailed);
    EXPECT_EQ(ui_.BoxTexts(), std::vector<std::string>{"Communication Error"});
    EXPECT_EQ(Lines(), std::vector<std::string>{"*IDN?"});
    EXPECT_TRUE(MutexFree());
}

TEST_F(UnansweredTransfer, AGpibPidTableNeverSentWritesNoFile) {
    CSimulatorProcess sim;
    // "PIDT 1:NENT?" is answered, "PIDT 1:TABLE?" is not.
    ASSERT_TRUE(sim.Start(TUNDRIX_SIM_PROGRAM, {"--gpib", "--fault", "no-reply:2"}, {"gpib"}))
        << sim.Error();
    UseSimulatedGpib(sim, link_);
    const std::string earlier = WriteFile(dir_.File("table1.pid"), "an earlier table\n");
    files_.saveAnswers = {earlier};
    numbers_.pidTable = 1;
    EXPECT_EQ(UploadPIDTable(Context()), TransferOutcome::CommunicationFailed);
    EXPECT_EQ(ui_.BoxTexts(), std::vector<std::string>{"Communication connection failed"});
    EXPECT_EQ(MessageIcon::Stop, ui_.Boxes().back().icon);
    EXPECT_EQ(ReadFile(earlier), "an earlier table\n");
    EXPECT_TRUE(MutexFree());
    ::unsetenv("TUNDRIX_SIM_GPIB");
    ::unsetenv("TUNDRIX_GPIB_LIBRARY");
}
