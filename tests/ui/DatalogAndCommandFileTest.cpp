// "Upload Internal DataLog" and "Send Command File" in the window program,
// through the real file dialogs, against the simulated controller.

#include <QFileDialog>
#include <QLineEdit>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

#include "app/ui/MainFrame.h"
#include "app/ui/ShortCutButtons.h"
#include "app/ui/VantorView.h"
#include "support/TempDir.h"
#include "support/WholeFile.h"
#include "support/ui/QtDialogs.h"
#include "ui/UiTestHelpers.h"

namespace {

// Types the name into the file dialog and confirms it, as a user would.
void Choose(QFileDialog* dialog, const std::string& path) {
    dialog->findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(path));
    static_cast<QDialog*>(dialog)->accept();
}

// A connected run of the program on the simulated controller's pseudo-terminal.
class ConnectedRun {
public:
    ConnectedRun()
        : simulator_(StartSimulator(28)),
          run_(WriteSerialSettings(dir.File("Tundrix.INI"), simulator_->Address("pty"))) {
        run_.Frame().CommandAction(MenuCommand::Connect)->trigger();
        EXPECT_EQ("Connected", run_.View().ShortcutBar()->StatusText());
    }
    ProgramRun& Run() { return run_; }
    CVantorView& View() { return run_.View(); }

    TempDir dir;

private:
    std::unique_ptr<CSimulatorProcess> simulator_;
    ProgramRun run_;
};

// The program's standard output, caught in a file while it lives.
class CapturedStandardOutput {
public:
    explicit CapturedStandardOutput(const std::string& path) : path_(path) {
        std::fflush(stdout);
        saved_ = ::dup(STDOUT_FILENO);
        const int file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        ::dup2(file, STDOUT_FILENO);
        ::close(file);
    }
    ~CapturedStandardOutput() { Release(); }
    std::string Text() {
        Release();
        return ReadFile(path_);
    }

private:
    void Release() {
        if (saved_ < 0)
            return;
        std::fflush(stdout);
        ::dup2(saved_, STDOUT_FILENO);
        ::close(saved_);
        saved_ = -1;
    }
    std::string path_;
    int saved_ = -1;
};

} // namespace

TEST(DatalogAndCommandFile, UploadFromTheMenuAndFromTheShortcutBar) {
    ConnectedRun program;
    const std::string fromMenu = program.dir.File("menu.csv");
    WhenModal<QFileDialog>([&](QFileDialog* save) {
        EXPECT_EQ(QFileDialog::AcceptSave, save->acceptMode());
        EXPECT_EQ("csv", save->defaultSuffix());
        Choose(save, fromMenu);
    });
    ASSERT_TRUE(program.Run().Offered(MenuCommand::UploadInternalDataLog));
    program.Run().Frame().CommandAction(MenuCommand::UploadInternalDataLog)->trigger();
    EXPECT_EQ(0u, ReadFile(fromMenu).find("TX-28 Internal Data Log\r\n"));
    ASSERT_EQ(1u, program.Run().Boxes().size());
    EXPECT_EQ("Upload Complete", program.Run().Boxes()[0].first);
    EXPECT_TRUE(program.View().LogText().endsWith(
        QString::fromStdString("Internal DataLog is uploaded to " + fromMenu + "\n")));
    EXPECT_FALSE(program.View().TransferProgress().Dialog() &&
                 program.View().TransferProgress().Dialog()->isVisible());

    // The bar's button posts its request; the upload runs once it arrives.
    const std::string fromBar = program.dir.File("bar");
    WhenModal<QFileDialog>([&](QFileDialog* save) { Choose(save, fromBar); });
    program.View().ShortcutBar()->Button(ShortcutButton::UploadDataLog)->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return program.Run().Boxes().size() == 2; }, 10000));
    // The dialog gives a typed name the default extension.
    EXPECT_EQ(0u, ReadFile(fromBar + ".csv").find("TX-28 Internal Data Log\r\n"));
}

TEST(DatalogAndCommandFile, SendCommandFileLogsEachLineAsItIsWritten) {
    ConnectedRun program;
    const std::string file = program.dir.File("check.xml");
    std::ofstream(file) << "<TRANSACTIONS><IDENTITY><MODEL>TX-28</MODEL><PAUSE>800</PAUSE>"
                           "<QUERY>*IDN?</QUERY><RESPONSE>arktronic,tx-28,sn280417,1.4.2"
                           "</RESPONSE></IDENTITY></TRANSACTIONS>";
    // "ErrorLog.txt" goes to the current folder.
    const std::string folder = std::filesystem::current_path().string();
    std::filesystem::current_path(program.dir.Path());

    QString logMidRun;
    WhenModal<QFileDialog>([&](QFileDialog* open) {
        EXPECT_EQ(QFileDialog::AcceptOpen, open->acceptMode());
        Choose(open, file);
        // Fires during the pause, while the run holds the GUI thread.
        QTimer::singleShot(400, [&] { logMidRun = program.View().LogText(); });
    });
    CapturedStandardOutput output(program.dir.File("stdout.txt"));
    ASSERT_TRUE(program.Run().Offered(MenuCommand::SendCommandFile));
    program.Run().Frame().CommandAction(MenuCommand::SendCommandFile)->trigger();
    const std::string standardOutput = output.Text();
    std::filesystem::current_path(folder);

    // The log's last line is the one being written, empty after a line end.
    EXPECT_TRUE(logMidRun.endsWith("Command for Model TX-28\n")) << logMidRun.toStdString();
    const QString log = program.View().LogText();
    EXPECT_TRUE(log.contains("IDENTITY: Query:*IDN?\nReceived:ARKTRONIC,TX-28,SN280417,1.4.2\n"))
        << log.toStdString();
    EXPECT_TRUE(
        log.endsWith("Command language test completed.\n0 Errors logged in the ErrorLog.txt\n"));
    EXPECT_EQ("Expected:arktronic,tx-28,sn280417,1.4.2\n", standardOutput);
    EXPECT_EQ("Command language test completed.\n0 Errors logged in the ErrorLog.txt\n",
              ReadFile(program.dir.File("ErrorLog.txt")));
    EXPECT_TRUE(program.Run().Boxes().empty());
}
