// "Share Instrument..." in the window: the dialog, the bar, the log, and a
// client served beside the window's own use of the link.

#include <QCheckBox>
#include <QSpinBox>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include "app/VantorCore.h"
#include "app/ui/ShortCutButtons.h"
#include "server/ServeSettings.h"
#include "server/dialogs/ShareInstrumentDlg.h"
#include "support/ClientSocket.h"
#include "support/TempDir.h"
#include "support/ui/QtDialogs.h"
#include "ui/UiTestHelpers.h"

namespace {

TEST(ShareInstrument, SharedReadOnlyThenStoppedFromTheDialog) {
    auto simulator = StartSimulator(28);
    TempDir dir;
    ProgramRun run(WriteSerialSettings(dir.File("Tundrix.INI"), simulator->Address("pty")));
    CVantorView& view = run.View();
    CShortCutButtons& bar = *view.ShortcutBar();
    EXPECT_FALSE(run.Offered(MenuCommand::ShareInstrument));
    run.Frame().CommandAction(MenuCommand::Connect)->trigger();
    ASSERT_EQ(bar.StatusText(), "Connected");
    ASSERT_TRUE(run.Offered(MenuCommand::ShareInstrument));

    WhenModal<CShareInstrumentDlg>([](CShareInstrumentDlg* dialog) {
        dialog->findChild<QSpinBox*>()->setValue(0); // any free port
        dialog->findChild<QCheckBox*>()->setChecked(true);
        Button(dialog, "Share")->click();
    });
    run.Frame().CommandAction(MenuCommand::ShareInstrument)->trigger();
    const CInstrumentServer* server = view.Core().Sharing();
    ASSERT_NE(server, nullptr);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return bar.SharedText() == "Shared read-only: 0 clients"; }, 2000));

    ClientSocket client(server->Port());
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return bar.SharedText() == "Shared read-only: 1 client"; }, 2000));
    client.Send("LOOP 1:SETPT 5\n*IDN?\n");
    std::string reply;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return !(reply = client.Line(std::chrono::milliseconds(20))).empty(); }, 3000));
    EXPECT_EQ(reply, "ARKTRONIC,TX-28,SN280417,1.4.2\r\n");
    EXPECT_TRUE(view.LogText().contains("Refused from 127.0.0.1:")) << view.LogText().toStdString();

    // Nothing reconnects the link under the clients.
    run.Frame().CommandAction(MenuCommand::Connect)->trigger();
    ASSERT_EQ(run.Boxes().size(), 1u);
    EXPECT_EQ(run.Boxes()[0].first,
              "Please terminates all communicating activites before reconnecting.");

    WhenModal<CShareInstrumentDlg>(
        [](CShareInstrumentDlg* dialog) { Button(dialog, "Stop Sharing")->click(); });
    run.Frame().CommandAction(MenuCommand::ShareInstrument)->trigger();
    EXPECT_EQ(view.Core().Sharing(), nullptr);
    EXPECT_TRUE(client.ClosedByServer());
    EXPECT_TRUE(QTest::qWaitFor([&] { return bar.SharedText().isEmpty(); }, 2000));
    EXPECT_TRUE(view.LogText().endsWith("Sharing ended.\n")) << view.LogText().toStdString();
    CSettingsStore stored(dir.File("Tundrix.INI"));
    stored.Load();
    EXPECT_TRUE(ReadServeSettings(stored).readOnly);
}

} // namespace
