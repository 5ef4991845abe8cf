#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <chrono>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

#include "app/VantorCore.h"
#include "app/ui/ShortCutButtons.h"
#include "logging/ui/DataLogSetup.h"
#include "logging/ui/DataLoggingInProcMessage.h"
#include "support/TempDir.h"
#include "support/WholeFile.h"
#include "support/ui/QtDialogs.h"
#include "ui/UiTestHelpers.h"

namespace {

int CountRows(const std::string& text) {
    int rows = 0;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        rows += !line.empty() && line[0] >= '0' && line[0] <= '9';
    return rows;
}

// Answers the next setup dialog with these sources and interval, then the
// save dialog with `path`, as a user would.
void AnswerStart(std::vector<int> sources, const char* interval, const std::string& path) {
    WhenModal<CDataLogSetup>([sources, interval, path](CDataLogSetup* setup) {
        for (int source : sources)
            setup->CheckBox(source)->click();
        setup->IntervalField()->setText(interval);
        WhenModal<QFileDialog>([path](QFileDialog* save) {
            EXPECT_EQ(QFileDialog::AcceptSave, save->acceptMode());
            EXPECT_EQ("csv", save->defaultSuffix());
            save->findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(path));
            static_cast<QDialog*>(save)->accept();
        });
        Button(setup, "Start")->click();
    });
}

class DataLoggingTest : public ::testing::Test {
protected:
    void SetUp() override {
        run_ = std::make_unique<ProgramRun>(
            WriteSerialSettings(dir_.File("Tundrix.INI"), simulator_->Address("pty")));
        run_->Frame().CommandAction(MenuCommand::Connect)->trigger();
        ASSERT_EQ(View().ShortcutBar()->StatusText(), "Connected");
    }

    CVantorView& View() { return run_->View(); }
    // As the user does it: the menu opens, which enables the item, and it is chosen.
    void ChooseStart() {
        run_->OpenEveryMenu();
        run_->Frame().CommandAction(MenuCommand::DataLoggingStart)->trigger();
    }
    CDataLoggingInProcMessage& Progress() { return *View().LoggingProgress(); }
    bool WaitForEntries(int entries) {
        return QTest::qWaitFor(
            [&] { return View().Core().LoggingRun().State().Entries() >= entries; }, 10000);
    }

    std::unique_ptr<CSimulatorProcess> simulator_ = StartSimulator(28);
    TempDir dir_;
    std::unique_ptr<ProgramRun> run_;
};

} // namespace

TEST_F(DataLoggingTest, MenuStartRunsThroughTheRealDialogsUntilStop) {
    const std::string path = dir_.File("menu.csv");
    AnswerStart({0, 8}, "0.5", path);
    ChooseStart();

    EXPECT_EQ(1, View().Core().LoggingActive());
    EXPECT_TRUE(View().LoggingTimerActive());
    EXPECT_TRUE(Progress().isVisible());
    EXPECT_EQ("Channel A", Progress().SourceLabel(0)->text());
    EXPECT_EQ("Heater1", Progress().SourceLabel(8)->text());
    EXPECT_EQ("     0.5", Progress().IntervalText());
    EXPECT_EQ(QString::fromStdString(path), Progress().OutputFileText());
    // It stays offered, to bring back this window.
    EXPECT_TRUE(run_->Offered(MenuCommand::DataLoggingStart));
    EXPECT_FALSE(run_->Offered(MenuCommand::Interact));

    ASSERT_TRUE(WaitForEntries(2));
    // The count reaches the window through the GUI thread.
    EXPECT_TRUE(QTest::qWaitFor([&] { return Progress().EntriesText().toInt() >= 2; }, 2000));
    Progress().StopButton()->click();
    EXPECT_EQ(0, View().Core().LoggingActive());
    EXPECT_FALSE(View().LoggingTimerActive());
    EXPECT_FALSE(Progress().isVisible());
    EXPECT_TRUE(run_->Offered(MenuCommand::DataLoggingStart));

    const std::string text = ReadFile(path);
    const int entries = View().Core().LoggingRun().State().Entries();
    EXPECT_EQ(entries, CountRows(text)) << text;
    EXPECT_NE(std::string::npos, text.find("Entry Number,Channel A,Heater 1,RANGE\r\n"));
    EXPECT_NE(std::string::npos,
              text.find("\r\nNumber of entries = " + std::to_string(entries) + "\r\n"))
        << text;
    const QString log = View().LogText();
    EXPECT_TRUE(log.contains("Data logging started at ")) << log.toStdString();
    EXPECT_TRUE(log.contains("Data logging terminated at ")) << log.toStdString();
    EXPECT_EQ("0.500000", View().Core().Settings().GetString("LOG", "INTERVAL", ""));
    EXPECT_TRUE(run_->Boxes().empty());
}

// A run whose progress window was closed and kept in the background: the
// shortcut bar's "Data Logging" and the menu's "Start" bring the window back
// (no new run, no new file), and closing it again can stop the run.
TEST_F(DataLoggingTest, ARunWhoseWindowWasClosedIsReachedAgainAndStoppedFromIt) {
    const std::string path = dir_.File("background.csv");
    QPushButton* button = View().ShortcutBar()->Button(ShortcutButton::DataLogging);
    AnswerStart({1}, "0.2", path);
    button->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return View().Core().LoggingActive() == 1; }, 5000));
    ASSERT_TRUE(WaitForEntries(1));

    auto answer = [](const char* choice) {
        WhenModal<QMessageBox>([choice](QMessageBox* question) {
            for (QAbstractButton* b : question->buttons())
                if (b->text() == choice)
                    b->click();
        });
    };
    answer("Keep Running");
    Progress().close();
    EXPECT_FALSE(Progress().isVisible());
    EXPECT_EQ(1, View().Core().LoggingActive());
    const int before = View().Core().LoggingRun().State().Entries();
    ASSERT_TRUE(WaitForEntries(before + 1));

    button->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Progress().isVisible(); }, 2000));
    EXPECT_EQ(path, View().Core().LoggingRun().State().Path());
    answer("Keep Running");
    QTest::keyClick(&Progress(), Qt::Key_Escape);
    EXPECT_FALSE(Progress().isVisible());

    EXPECT_TRUE(run_->Offered(MenuCommand::DataLoggingStart));
    EXPECT_FALSE(run_->Offered(MenuCommand::Interact));
    run_->Frame().CommandAction(MenuCommand::DataLoggingStart)->trigger();
    EXPECT_TRUE(Progress().isVisible());
    EXPECT_EQ(1, View().Core().LoggingActive());

    answer("Stop Logging");
    Progress().close();
    EXPECT_FALSE(Progress().isVisible());
    EXPECT_EQ(0, View().Core().LoggingActive());
    EXPECT_FALSE(View().LoggingTimerActive());
    const std::string text = ReadFile(path);
    const int entries = View().Core().LoggingRun().State().Entries();
    EXPECT_EQ(entries, CountRows(text)) << text;
    EXPECT_NE(std::string::npos,
              text.find("\r\nNumber of entries = " + std::to_string(entries) + "\r\n"));
    EXPECT_NE(std::string::npos, text.find("Data logging terminated at ")) << text;
    EXPECT_TRUE(run_->Boxes().empty());
}

TEST_F(DataLoggingTest, ClosingTheWindowDuringARunEndsItPromptlyWithItsTrailer) {
    const std::string path = dir_.File("closed.csv");
    AnswerStart({0}, "0.1", path);
    ChooseStart();
    ASSERT_TRUE(WaitForEntries(2));

    const auto began = std::chrono::steady_clock::now();
    run_->End();
    EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(3));

    const std::string text = ReadFile(path);
    const auto entries = text.find("Number of entries = ");
    ASSERT_NE(std::string::npos, entries) << text;
    const int count = std::stoi(text.substr(entries + 20));
    EXPECT_EQ(count, CountRows(text)) << text;
    EXPECT_NE(std::string::npos, text.find("Data logging terminated at ", entries));
}

TEST_F(DataLoggingTest, ALostInstrumentStopsTheRunWithBoxesAndTheExitLine) {
    const std::string path = dir_.File("lost.csv");
    AnswerStart({0}, "0.5", path);
    ChooseStart();
    ASSERT_TRUE(WaitForEntries(1));

    simulator_->Stop();
    ASSERT_TRUE(QTest::qWaitFor([&] { return View().Core().LoggingActive() == 0; }, 10000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return ReadFile(path).ends_with("Error.\r\n"); }, 5000));
    EXPECT_FALSE(Progress().isVisible());
    EXPECT_FALSE(View().LoggingTimerActive());
    EXPECT_EQ(View().ShortcutBar()->StatusText(), "Error");
    ASSERT_GE(run_->Boxes().size(), 1u);
    EXPECT_EQ("Communication Error", run_->Boxes().back().first);
    EXPECT_TRUE(View().LogText().contains("- Comm port selection"));

    const std::string text = ReadFile(path);
    const int entries = View().Core().LoggingRun().State().Entries();
    EXPECT_EQ(entries, CountRows(text));
    EXPECT_TRUE(text.ends_with("Number of entries = " + std::to_string(entries) + "\r\n" +
                               text.substr(text.find("Data logging terminated at "))))
        << text;
    EXPECT_TRUE(text.ends_with(" \r\nExit due to Communication Error.\r\n")) << text;
}
