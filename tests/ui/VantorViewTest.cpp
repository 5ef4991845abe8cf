#include <QAbstractButton>
#include <QMessageBox>
#include <QProgressBar>
#include <QTest>
#include <QThread>
#include <atomic>
#include <future>
#include <gtest/gtest.h>
#include <thread>

#include "app/VantorCore.h"
#include "app/ui/MainFrame.h"
#include "app/ui/VantorApp.h"
#include "app/ui/VantorView.h"
#include "support/TempDir.h"
#include "ui/UiTestHelpers.h"

namespace {

struct ShownBox {
    QString text;
    QMessageBox::Icon icon;
    QThread* thread;
    bool callerWaiting;
};

class VantorViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        app_.InitInstance();
        ASSERT_TRUE(QTest::qWaitFor([&] { return View().IsInitialised(); }));
    }

    CVantorView& View() { return app_.MainFrame()->View(); }

    // Records every box instead of showing it; `returned` tells whether the
    // caller had already gone on when the box came up.
    void RecordBoxes(const std::atomic<bool>& returned) {
        View().MessageBoxes().SetPresenter([&](const QString& text, QMessageBox::Icon icon) {
            shown_.push_back({text, icon, QThread::currentThread(), !returned.load()});
        });
    }

    TempDir dir_;
    CVantorApp app_{WriteQuietSettings(dir_.File("Tundrix.INI"))};
    std::vector<ShownBox> shown_;
};

TEST_F(VantorViewTest, BoxesFromAWorkerAreShownOnTheGuiThreadWhileTheWorkerWaits) {
    std::atomic<bool> returned{false};
    RecordBoxes(returned);
    std::thread worker([&] {
        View().MessageBoxes().ShowMessage("Communication Error", MessageIcon::Stop);
        View().MessageBoxes().ShowMessage(
            "Please terminates all communicating activites before switching port.",
            MessageIcon::Warning);
        View().MessageBoxes().ShowMessage("Download Complete", MessageIcon::Information);
        returned = true;
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return returned.load(); }));
    worker.join();

    ASSERT_EQ(shown_.size(), 3u);
    EXPECT_EQ(shown_[0].text, "Communication Error");
    EXPECT_EQ(shown_[0].icon, QMessageBox::Critical);
    EXPECT_EQ(shown_[1].text,
              "Please terminates all communicating activites before switching port.");
    EXPECT_EQ(shown_[1].icon, QMessageBox::Warning);
    EXPECT_EQ(shown_[2].text, "Download Complete");
    EXPECT_EQ(shown_[2].icon, QMessageBox::Information);
    for (const ShownBox& box : shown_) {
        EXPECT_EQ(box.thread, qApp->thread());
        EXPECT_TRUE(box.callerWaiting);
    }

    // Asked for on the GUI thread itself, the box opens at once instead of waiting for itself.
    View().MessageBoxes().ShowMessage("Failed to connect to server.", MessageIcon::Stop);
    ASSERT_EQ(shown_.size(), 4u);
    EXPECT_EQ(shown_[3].text, "Failed to connect to server.");
}

TEST_F(VantorViewTest, RealBoxFromAWorkerBlocksItUntilOkIsClicked) {
    std::atomic<bool> returned{false};
    QString text, title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool waitingWhileOpen = false;
    auto seen = WhenModalOpens([&](QWidget& modal) {
        auto* box = qobject_cast<QMessageBox*>(&modal);
        if (box == nullptr) {
            modal.close();
            return;
        }
        text = box->text();
        title = box->windowTitle();
        icon = box->icon();
        QTest::qWait(50);
        waitingWhileOpen = !returned.load();
        box->button(QMessageBox::Ok)->click();
    });
    std::thread worker([&] {
        View().MessageBoxes().ShowMessage("Communication Error", MessageIcon::Stop);
        returned = true;
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return returned.load(); }));
    worker.join();

    EXPECT_TRUE(*seen);
    EXPECT_EQ(text, "Communication Error");
    EXPECT_EQ(title, "Tundrix Utility Software");
    EXPECT_EQ(icon, QMessageBox::Critical);
    EXPECT_TRUE(waitingWhileOpen);
}

TEST_F(VantorViewTest, WorkerWaitingForABoxGivesUpOnceTheStopEventIsSet) {
    std::atomic<bool> returned{false};
    RecordBoxes(returned);
    // The GUI thread is busy (as when it waits for the workers to end) and
    // runs no events, so the box cannot come up.
    auto worker = std::async(std::launch::async, [&] {
        View().MessageBoxes().ShowMessage("Communication Error", MessageIcon::Stop);
    });
    EXPECT_EQ(worker.wait_for(std::chrono::milliseconds(100)), std::future_status::timeout);
    View().Core().StopEvent().Set();
    EXPECT_EQ(worker.wait_for(std::chrono::seconds(5)), std::future_status::ready);

    // Nor does the abandoned box come up later.
    QTest::qWait(50);
    EXPECT_TRUE(shown_.empty());
}

TEST_F(VantorViewTest, LogShowsTextFromEveryThreadInOrder) {
    View().AppendLog("\nquery:*IDN?");
    std::thread worker([&] {
        View().AppendLog("\nresponse:BOREA,MODEL330,SN1,1.0\r\n");
        View().AppendLog("line one\rline two\n");
    });
    worker.join();
    // Drawn at once, after the worker's text that was still waiting.
    View().AppendLog("\ncommand:RANGE 1,2\n");
    EXPECT_EQ(View().LogText(), QString("\nquery:*IDN?\nresponse:BOREA,MODEL330,SN1,1.0\n"
                                        "line one\nline two\n\ncommand:RANGE 1,2\n"));

    std::thread([&] { View().AppendLog("Communication Error\n"); }).join();
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return View().LogText().endsWith("2\nCommunication Error\n"); }));
}

TEST_F(VantorViewTest, ProgressBoxFollowsATransferFromEitherThread) {
    CTransferProgress& progress = View().TransferProgress();
    progress.OpenProgress("Downloading to User Curve 3. Please wait...");
    CTfrDlg* box = progress.Dialog();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_FALSE(box->isModal());
    EXPECT_EQ(box->windowTitle(), "Download/Upload Message");
    EXPECT_EQ(box->Caption(), "Downloading to User Curve 3. Please wait...");
    auto* bar = box->findChild<QProgressBar*>();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 100);
    progress.SetProgress(40);
    EXPECT_EQ(box->Pos(), 40);
    progress.CloseProgress();
    EXPECT_EQ(progress.Dialog(), nullptr);

    std::thread worker([&] {
        progress.OpenProgress("Uploading User Curve 5. Please wait...");
        progress.SetProgress(70);
    });
    worker.join();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return progress.Dialog() && progress.Dialog()->Pos() == 70; }));
    EXPECT_EQ(progress.Dialog()->Caption(), "Uploading User Curve 5. Please wait...");
    std::thread closer([&] { progress.CloseProgress(); });
    closer.join();
    EXPECT_TRUE(QTest::qWaitFor([&] { return progress.Dialog() == nullptr; }));
}

// The stored serial port is missing: the first show says so once, not on every show.
TEST(VantorViewFirstShowTest, LoadsTheLinkSettingsOnceAfterTheFrameIsShown) {
    TempDir dir;
    const std::string path = dir.File("Tundrix.INI");
    {
        CSettingsStore settings(path);
        settings.WriteInt("CommunicationSetup", "PortType", 0);
        settings.WriteInt("CommunicationSetup", "CommPort", 1);
        settings.WriteString("SerialDevices", "COM2", dir.File("no-such-tty"));
    }
    CVantorApp app(path);
    app.InitInstance();
    CVantorView& view = app.MainFrame()->View();
    std::vector<std::pair<QString, QMessageBox::Icon>> shown;
    view.MessageBoxes().SetPresenter(
        [&](const QString& text, QMessageBox::Icon icon) { shown.emplace_back(text, icon); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.IsInitialised(); }));

    app.MainFrame()->hide();
    app.MainFrame()->show();
    QTest::qWait(50);

    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].first, "Failed to create RS232 serial port");
    EXPECT_EQ(shown[0].second, QMessageBox::Critical);
    EXPECT_FALSE(view.Core().Link().IsSerialOpen());
}

} // namespace
