#include <QAction>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <fstream>
#include <gtest/gtest.h>
#include <map>

#include "app/VantorCore.h"
#include "app/ui/ShortCutButtons.h"
#include "app/ui/TfrDlg.h"
#include "curves/dialogs/CalTblNumReq.h"
#include "curves/dialogs/CurveHeaderEdit.h"
#include "curves/dialogs/PIDTblNumReq.h"
#include "support/TempDir.h"
#include "support/WholeFile.h"
#include "support/ui/QtDialogs.h"
#include "ui/UiTestHelpers.h"

namespace {

void Choose(QFileDialog* dialog, const std::string& path) {
    dialog->findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(path));
    static_cast<QDialog*>(dialog)->accept();
}

// What the progress box was when a message box came up.
struct BoxSeen {
    QString text;
    bool progressShown = false;
    QString caption;
    int position = -1;
};

class TransferCommands : public ::testing::Test {
protected:
    void Start(int model) {
        simulator_ = StartSimulator(model);
        run_ = std::make_unique<ProgramRun>(
            WriteSerialSettings(dir_.File("Tundrix.INI"), simulator_->Address("pty")));
        run_->View().MessageBoxes().SetPresenter([this](const QString& text, QMessageBox::Icon) {
            CTfrDlg* progress = run_->View().TransferProgress().Dialog();
            boxes_.push_back({text, progress && progress->isVisible(),
                              progress ? progress->Caption() : QString(),
                              progress ? progress->Pos() : -1});
        });
        run_->Frame().CommandAction(MenuCommand::Connect)->trigger();
        ASSERT_EQ(run_->View().ShortcutBar()->StatusText(), "Connected");
    }
    bool LogHas(const QString& text) {
        return QTest::qWaitFor([&] { return run_->View().LogText().contains(text); }, 20000);
    }

    TempDir dir_;
    std::unique_ptr<CSimulatorProcess> simulator_;
    std::unique_ptr<ProgramRun> run_;
    std::vector<BoxSeen> boxes_;
};

} // namespace

TEST_F(TransferCommands, TheShortcutBarsCurveButtonRunsTheDownloadThroughItsDialogs) {
    Start(28);
    const std::string file = WriteFile(
        dir_.File("probe.crv"), "Probe\nDiode\n1.0\nVolts\n0.1 475\n0.5 300\n1.0 77\n1.6 4.2\n;\n");
    QStringList curves;
    WhenModal<QFileDialog>([&](QFileDialog* open) {
        WhenModal<CCurveHeaderEdit>([&](CCurveHeaderEdit* header) {
            WhenModal<CCalTblNumReq>([&](CCalTblNumReq* number) {
                curves = Items(number->CurveList());
                number->CurveList()->setCurrentIndex(2);
                Button(number, "OK")->click();
            });
            Button(header, "Accept")->click();
        });
        Choose(open, file);
    });
    run_->View().ShortcutBar()->Button(ShortcutButton::CurveDownload)->click();
    ASSERT_TRUE(LogHas("User Curve 3 is downloaded from " + QString::fromStdString(file)));

    EXPECT_EQ(curves.size(), 8);
    EXPECT_EQ(curves.value(2), "User Curve 3,None,0");
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, "Download Complete");
    // The box comes while the progress box still shows the last entry's step.
    EXPECT_TRUE(boxes_[0].progressShown);
    EXPECT_EQ(boxes_[0].caption, "Downloading to User Curve 3. Please wait...");
    EXPECT_EQ(boxes_[0].position, 75);
    EXPECT_EQ(run_->View().TransferProgress().Dialog(), nullptr);
    EXPECT_TRUE(run_->View().LogText().contains("Probe\nDiode\n1.000000\nVolts\n0.100000     "
                                                "475.000000\n"));
    EXPECT_TRUE(run_->View().Core().TransactionMutex().try_lock());
    run_->View().Core().TransactionMutex().unlock();
}

TEST_F(TransferCommands, PidTableDownloadFromTheMenuAndTheBarFollowsRuleP) {
    Start(28);
    const std::string file =
        WriteFile(dir_.File("zones.pid"), "Zones\n10 50 20 0 Low\n100 80 30 0 High\n;\n");
    ASSERT_TRUE(run_->Offered(MenuCommand::PidDownload));
    WhenModal<QFileDialog>([&](QFileDialog* open) {
        WhenModal<CPIDTblNumReq>([](CPIDTblNumReq* number) {
            number->TableList()->setEditText("4");
            Button(number, "OK")->click();
        });
        Choose(open, file);
    });
    run_->Frame().CommandAction(MenuCommand::PidDownload)->trigger();
    ASSERT_TRUE(LogHas("PID Table 4 is downloaded from " + QString::fromStdString(file)));
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].caption, "Downloading to PID Table 4. Please wait...");

    // While data logging runs, rule P holds the bar's button back.
    run_->View().Core().LoggingActive() = 1;
    QPushButton* pid = run_->View().ShortcutBar()->Button(ShortcutButton::PidDownload);
    ASSERT_TRUE(pid->isEnabled());
    bool opened = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            opened = true;
            modal->reject();
        }
    });
    watch.start(10);
    pid->click();
    QTest::qWait(300);
    watch.stop();
    EXPECT_FALSE(opened);
    run_->View().Core().LoggingActive() = 0;
}

TEST(UserOptions, AllOffAtFirstAndRememberedInTheSettings) {
    TempDir dir;
    const std::string path = WriteQuietSettings(dir.File("Tundrix.INI"));
    auto options = [](ProgramRun& run) {
        std::map<QString, QAction*> found;
        for (QAction* action : run.Frame().Menu("&User Options")->actions())
            if (action->isCheckable())
                found[action->text()] = action;
        return found;
    };
    {
        ProgramRun run(path);
        auto found = options(run);
        ASSERT_EQ(found.size(), 4u);
        QAction* verify = found["Verify Curve After Download"];
        QAction* backup = found["Back Up User Curve Before Download"];
        QAction* gpibEnd = found["End GPIB Replies at END"];
        QAction* preciseTime = found["Log Date and Milliseconds"];
        ASSERT_TRUE(verify && backup && gpibEnd && preciseTime);
        EXPECT_FALSE(preciseTime->isChecked());
        EXPECT_FALSE(verify->isChecked());
        EXPECT_FALSE(backup->isChecked());
        EXPECT_FALSE(gpibEnd->isChecked());
        EXPECT_FALSE(run.View().Core().Link().GpibEndsReplies());
        verify->trigger();
        backup->trigger();
        backup->trigger();
        EXPECT_FALSE(backup->isChecked());
        gpibEnd->trigger();
        EXPECT_TRUE(run.View().Core().Link().GpibEndsReplies());
        preciseTime->trigger();
    }
    CSettingsStore stored(path);
    stored.Load();
    EXPECT_EQ(stored.GetInt("UserOptions", "VerifyCurveAfterDownload", -1), 1);
    EXPECT_EQ(stored.GetInt("UserOptions", "BackUpUserCurveBeforeDownload", -1), 0);
    EXPECT_EQ(stored.GetInt("UserOptions", "EndGpibRepliesAtEnd", -1), 1);
    EXPECT_EQ(stored.GetInt("UserOptions", "LogDateAndMilliseconds", -1), 1);
    ProgramRun again(path);
    auto found = options(again);
    EXPECT_TRUE(found["Verify Curve After Download"]->isChecked());
    EXPECT_FALSE(found["Back Up User Curve Before Download"]->isChecked());
    EXPECT_TRUE(found["End GPIB Replies at END"]->isChecked());
    EXPECT_TRUE(found["Log Date and Milliseconds"]->isChecked());
    EXPECT_TRUE(again.View().Core().Link().GpibEndsReplies());
}
