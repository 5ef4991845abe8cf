#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "app/ui/CommandEdit.h"
#include "app/ui/MainFrame.h"
#include "app/ui/SerialTerminal.h"
#include "app/ui/VantorView.h"
#include "base/SettingsStore.h"
#include "base/WindowRect.h"
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
    QStringList shownLabels;
    for (const QLabel* label : terminal.findChildren<QLabel*>())
        if (label->isVisible())
            shownLabels << label->text();
    EXPECT_EQ(shownLabels, QStringList{"Enter Command:"});
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

// Return key events as the window system delivers them, with their event times.
void SendReturn(CCommandEdit& edit, QEvent::Type type, ulong eventTime, bool markedRepeat = false) {
    QKeyEvent event(type, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), markedRepeat);
    event.setTimestamp(eventTime);
    QApplication::sendEvent(&edit, &event);
}

// The ways a held key's repeats arrive: marked as repeats; as X sends them, a
// release and a press with one event time, unmarked when they were read
// apart; as presses without releases.
enum class Repeats { Marked, ReleasePressPairs, PressesOnly };

void RepeatReturn(CCommandEdit& edit, ulong eventTime, Repeats form) {
    switch (form) {
    case Repeats::Marked:
        SendReturn(edit, QEvent::KeyPress, eventTime, true);
        break;
    case Repeats::ReleasePressPairs:
        SendReturn(edit, QEvent::KeyRelease, eventTime);
        SendReturn(edit, QEvent::KeyPress, eventTime);
        break;
    case Repeats::PressesOnly:
        SendReturn(edit, QEvent::KeyPress, eventTime);
        break;
    }
}

int QueryCount(CVantorView& view) {
    return static_cast<int>(view.LogText().count(QStringLiteral("query:")));
}

TEST_F(SerialTerminalTest, OpeningPutsTheKeyboardInTheFieldBesideTheMainWindow) {
    const std::string path = Settings();
    {
        // Room right of the main window for the terminal.
        CSettingsStore settings(path);
        settings.Load();
        WriteWindowRect(settings, "MAINVIEWPOS", {20, 30, 340, 330});
    }
    ProgramRun run(path);
    CVantorView& view = run.View();
    run.Frame().CommandAction(MenuCommand::Connect)->trigger();
    ASSERT_TRUE(run.Offered(MenuCommand::Interact));
    run.Frame().CommandAction(MenuCommand::Interact)->trigger();
    CSerialTerminal& terminal = *view.Terminal();
    // The window system activates it soon after.
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &terminal; }));
    EXPECT_EQ(QApplication::focusWidget(), terminal.Edit());

    // Beside the main window, tops equal, covering none of it.
    const QRect frame = run.Frame().frameGeometry();
    EXPECT_EQ(terminal.frameGeometry().left(), frame.right() + 1);
    EXPECT_EQ(terminal.frameGeometry().top(), frame.top());

    // What the user types goes into the field; Return sends it.
    QTest::keyClicks(QApplication::focusWidget(), "*IDN?");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(terminal.Edit()->text(), "*IDN?");
    EXPECT_TRUE(view.LogText().startsWith("\nquery:*IDN?\nresponse:ARKTRONIC"))
        << view.LogText().toStdString();
}

TEST_F(SerialTerminalTest, HeldReturnDropsTheRepeatsMadeWhileATransactionRan) {
    ProgramRun run(Settings());
    CVantorView& view = run.View();
    run.Frame().CommandAction(MenuCommand::Connect)->trigger();
    run.Frame().CommandAction(MenuCommand::Interact)->trigger();
    CCommandEdit& edit = *view.Terminal()->Edit();
    edit.setText("*IDN?");

    ulong pressed = 10000;
    int queries = 0;
    for (Repeats form : {Repeats::Marked, Repeats::ReleasePressPairs, Repeats::PressesOnly}) {
        const int formIndex = static_cast<int>(form);
        // The first press runs a query: over RS232 at least the link's 200 ms wait.
        QElapsedTimer took;
        took.start();
        SendReturn(edit, QEvent::KeyPress, pressed);
        const auto ran = static_cast<ulong>(took.elapsed());
        ASSERT_EQ(QueryCount(view), ++queries) << formIndex;
        ASSERT_GE(ran, 200u);

        // The keyboard repeated Return every 30 ms while it ran: all dropped.
        for (ulong at = pressed + 30; at < pressed + 200; at += 30)
            RepeatReturn(edit, at, form);
        EXPECT_EQ(QueryCount(view), queries) << formIndex << view.LogText().toStdString();

        // A repeat made after it ended runs the next query.
        pressed += ran + 50;
        RepeatReturn(edit, pressed, form);
        EXPECT_EQ(QueryCount(view), ++queries) << formIndex;
        SendReturn(edit, QEvent::KeyRelease, pressed + 300);
        pressed += 5000;
    }

    // A fresh press always counts, whatever its time.
    SendReturn(edit, QEvent::KeyPress, 10010);
    EXPECT_EQ(QueryCount(view), ++queries);
    EXPECT_TRUE(run.Boxes().empty());
}

TEST_F(SerialTerminalTest, AFullFieldSaysWhyItTakesNoMore) {
    ProgramRun run(Settings());
    CSerialTerminal& terminal = *run.View().Terminal();
    terminal.show();
    CCommandEdit& edit = *terminal.Edit();
    EXPECT_TRUE(edit.toolTip().contains("100 characters")) << edit.toolTip().toStdString();
    EXPECT_FALSE(terminal.LimitNote()->isVisible());

    QTest::keyClicks(&edit, QString(99, 'A'));
    EXPECT_FALSE(terminal.LimitNote()->isVisible());
    QTest::keyClicks(&edit, "BC");
    EXPECT_EQ(edit.text(), QString(99, 'A') + "B");
    EXPECT_TRUE(terminal.LimitNote()->isVisible());
    EXPECT_EQ(terminal.LimitNote()->text(), "100 characters: the longest line the link sends");

    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_FALSE(terminal.LimitNote()->isVisible());
}

} // namespace
