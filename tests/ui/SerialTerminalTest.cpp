#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "app/ui/CommandEdit.h"
#include "app/ui/MainFrame.h"
#include "app/ui/SerialTerminal.h"
#include "app/ui/VantorView.h"
#include "support/TempDir.h"
#include "ui/UiTestHelpers.h"

namespace {

QPushButton* ButtonOf(QWidget& window, const QString& text) {
    for (QPushButton* button : window.findChildren<QPushButton*>())
        if (button->text() == text)
            return button;
    return nullptr;
}

// One simulated controller for the suite; each test starts the program afresh.
class SerialTerminalTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { simulator_ = StartSimulator(28).release(); }
    static void TearDownTestSuite() {
        delete simulator_;
        simulator_ = nullptr;
    }

    std::string Settings() {
        return WriteSerialSettings(dir_.File("Tundrix.INI"), simulator_->Address("pty"));
    }

    static CSimulatorProcess* simulator_;
    TempDir dir_;
};

CSimulatorProcess* SerialTerminalTest::simulator_ = nullptr;

TEST_F(SerialTerminalTest, ReturnAndSendRunTheLineAndLogIt) {
    ProgramRun run(Settings());
    CVantorView& view = run.View();
    CSerialTerminal& terminal = *view.Terminal();
    EXPECT_FALSE(terminal.isVisible());
    EXPECT_EQ(terminal.windowTitle(), "Serial Terminal");

    run.Frame().CommandAction(MenuCommand::Connect)->trigger();
    ASSERT_TRUE(run.Offered(MenuCommand::Interact));
    run.Frame().CommandAction(MenuCommand::Interact)->trigger();
    ASSERT_TRUE(terminal.isVisible());
    ASSERT_EQ(view.LogText(), ""); // Connect logs nothing when it succeeds

    CCommandEdit& edit = *terminal.Edit();
    QTest::keyClicks(&edit, "*IDN?");
    QTest::keyClick(&edit, Qt::Key_Return);
    EXPECT_EQ(edit.text(), "*IDN?");
    EXPECT_EQ(edit.LastCommand(), "*IDN?");
    QTest::keyClick(&edit, Qt::Key_Return);

    const QString reply = "response:ARKTRONIC,TX-28,SN";
    EXPECT_TRUE(view.LogText().startsWith("\nquery:*IDN?\n" + reply))
        << view.LogText().toStdString();
    QStringList logged = view.LogText().split('\n');
    logged.removeAll("");
    ASSERT_EQ(logged.size(), 4) << logged.join('|').toStdString();
    for (int first : {0, 2}) {
        EXPECT_EQ(logged[first], "query:*IDN?");
        EXPECT_TRUE(logged[first + 1].startsWith(reply)) << logged[first + 1].toStdString();
    }

    // A line without a query is a command: logged, nothing read.
    edit.setText("*CLS");
    ButtonOf(terminal, "Send")->click();
    EXPECT_TRUE(view.LogText().endsWith("\ncommand:*CLS\n")) << view.LogText().toStdString();
    // An empty line sends nothing.
    const QString afterCommand = view.LogText();
    edit.clear();
    ButtonOf(terminal, "Send")->click();
    EXPECT_EQ(view.LogText(), afterCommand);
    EXPECT_TRUE(run.Boxes().empty());

    ButtonOf(terminal, "Quit")->click();
    EXPECT_FALSE(terminal.isVisible());
}

TEST_F(SerialTerminalTest, LayoutOfTheWindow) {
    ProgramRun run(Settings());
    CSerialTerminal& terminal = *run.View().Terminal();
    terminal.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&terminal));
    const auto labels = terminal.findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels[0]->text(), "Enter Command:");
    QPushButton* send = ButtonOf(terminal, "Send");
    QPushButton* quit = ButtonOf(terminal, "Quit");
    ASSERT_TRUE(send && quit);
    const QRect field = terminal.Edit()->geometry();
    EXPECT_LT(send->geometry().right(), field.left());
    EXPECT_GT(quit->geometry().top(), field.bottom());
    EXPECT_EQ(terminal.Edit()->maxLength(), 100);
}

TEST_F(SerialTerminalTest, ClosingRemembersThePlaceForTheNextRun) {
    const std::string path = Settings();
    const QRect moved(150, 160, 420, 130);
    {
        ProgramRun run(path);
        CSerialTerminal& terminal = *run.View().Terminal();
        terminal.show();
        terminal.setGeometry(moved);
        ASSERT_TRUE(QTest::qWaitFor([&] { return terminal.geometry() == moved; }));
        terminal.close();
        EXPECT_FALSE(terminal.isVisible());
        EXPECT_EQ(StoredRect(path, "S_TERM_POS"), (WindowRect{150, 160, 570, 290}));
    }
    ProgramRun run(path);
    EXPECT_FALSE(run.View().Terminal()->isVisible());
    EXPECT_EQ(run.View().Terminal()->geometry(), moved);
}

} // namespace
