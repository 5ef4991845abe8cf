#include <QAction>
#include <QApplication>
#include <QLayout>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

#include "app/VantorCore.h"
#include "app/ui/AboutDlg.h"
#include "app/ui/MainFrame.h"
#include "app/ui/MessageBoxes.h"
#include "app/ui/MessageLogView.h"
#include "app/ui/SelectCalGenType.h"
#include "app/ui/ShortCutButtons.h"
#include "app/ui/ShortcutDock.h"
#include "app/ui/TfrDlg.h"
#include "base/SettingsStore.h"
#include "base/WindowRect.h"
#include "base/ui/FixedSizeWindow.h"
#include "base/ui/WindowPlacement.h"
#include "comm/dialogs/CommSetUp.h"
#include "comm/dialogs/GPIBAddrEditDlg.h"
#include "comm/dialogs/IPEdit.h"
#include "comm/dialogs/PortSelect.h"
#include "curves/dialogs/CalTblNumReq.h"
#include "curves/dialogs/OnePoint.h"
#include "curves/dialogs/PIDTblNumReq.h"
#include "curves/dialogs/TWOPOINTS.h"
#include "curves/dialogs/ThreePoints.h"
#include "logging/ui/DataLogSetup.h"
#include "logging/ui/DataLoggingInProcMessage.h"
#include "support/TempDir.h"
#include "support/TestUi.h"
#include "ui/UiTestHelpers.h"

namespace {

int StoredInt(const std::string& path, const char* section, const char* key) {
    CSettingsStore settings(path);
    settings.Load();
    return settings.GetInt(section, key, -1);
}

QRect OnScreen(const QWidget& widget) {
    return QRect(widget.mapToGlobal(QPoint(0, 0)), widget.size());
}

TEST(WindowHabits, AtTheFirstRunSizeAFullLogLineAndTheShortcutBarStandSideBySide) {
    TempDir dir;
    const std::string path = WriteQuietSettings(dir.File("Tundrix.INI"));
    QSize firstRun;
    {
        ProgramRun run(path);
        firstRun = run.View().FirstRunSize();
    }
    // The offscreen screen is narrower than most: the run opens at that size on it.
    {
        CSettingsStore settings(path);
        settings.Load();
        WriteWindowRect(settings, "MAINVIEWPOS", {0, 40, firstRun.width(), 40 + firstRun.height()});
    }
    ProgramRun run(path);
    ASSERT_EQ(run.Frame().size(), firstRun);
    const CMessageLogView& log = run.View().LogView();
    const CShortCutButtons& bar = *run.View().ShortcutBar();
    // The log is as wide as a full line and its scroll bar, and the bar covers none of it.
    EXPECT_GE(log.width(), log.FullLineWidth());
    EXPECT_FALSE(OnScreen(log).intersects(OnScreen(bar)))
        << "log right " << OnScreen(log).right() << ", bar left " << OnScreen(bar).left();
    EXPECT_TRUE(run.Frame().geometry().contains(OnScreen(bar)));
}

// A large window: the log fills the client area but for the shortcut bar's
// dock on the right. The bar docked on the left, or floated and moved, is
// found there again on the next run.
TEST(WindowHabits, TheLogFillsALargeWindowAndTheShortcutBarStaysWhereItWasPut) {
    TempDir dir;
    const std::string path = WriteQuietSettings(dir.File("Tundrix.INI"));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect large(screen.left(), screen.top() + 30, screen.width(), screen.height() - 40);
    {
        CSettingsStore settings(path);
        settings.Load();
        WriteWindowRect(settings, "MAINVIEWPOS", ToWindowRect(large));
    }
    {
        ProgramRun run(path);
        CMainFrame& frame = run.Frame();
        ASSERT_GE(frame.width(), large.width() - 10);
        const CMessageLogView& log = run.View().LogView();
        CShortcutDock& dock = *run.View().ShortcutDock();
        EXPECT_EQ(Qt::RightDockWidgetArea, frame.dockWidgetArea(&dock));
        EXPECT_FALSE(dock.isFloating());
        // Everything the dock leaves, up to the right edge of the dock's separator.
        EXPECT_EQ(run.View().size(), log.size());
        EXPECT_EQ(frame.centralWidget(), &run.View());
        EXPECT_GT(log.width(), log.FullLineWidth());
        EXPECT_LT(OnScreen(log).right(), OnScreen(dock).left());
        EXPECT_GE(OnScreen(dock).right() + 1, frame.geometry().right() - 1);

        frame.addDockWidget(Qt::LeftDockWidgetArea, &dock);
        EXPECT_EQ(Qt::LeftDockWidgetArea, frame.dockWidgetArea(&dock));
        frame.close();
    }
    EXPECT_EQ(Qt::LeftDockWidgetArea, StoredInt(path, "SHORTCUTPOS", "DockArea"));
    EXPECT_EQ(0, StoredInt(path, "SHORTCUTPOS", "Floating"));
    QRect floated;
    {
        ProgramRun run(path);
        CShortcutDock& dock = *run.View().ShortcutDock();
        EXPECT_EQ(Qt::LeftDockWidgetArea, run.Frame().dockWidgetArea(&dock));
        EXPECT_LT(OnScreen(dock).right(), OnScreen(run.View().LogView()).left());
        dock.setFloating(true);
        dock.move(screen.left() + 40, screen.top() + 50);
        floated = dock.geometry();
        run.Frame().close();
    }
    EXPECT_EQ(1, StoredInt(path, "SHORTCUTPOS", "Floating"));
    EXPECT_EQ(ToWindowRect(floated), StoredRect(path, "SHORTCUTPOS"));
    ProgramRun run(path);
    CShortcutDock& dock = *run.View().ShortcutDock();
    EXPECT_TRUE(dock.isFloating());
    EXPECT_EQ(floated, dock.geometry());
    EXPECT_TRUE(dock.isVisible());
    // Floating, the bar leaves the whole client area to the log.
    EXPECT_EQ(run.Frame().centralWidget()->size(), run.View().LogView().size());
}

TEST(WindowHabits, AWindowGoesBesideTheMainWindowWhereItFits) {
    const QSize window(300, 120);
    const QRect screen(0, 0, 1600, 1000);
    // Right of it, tops equal.
    EXPECT_EQ(BesidePlace(window, QRect(100, 200, 900, 500), screen), QPoint(1000, 200));
    EXPECT_EQ(BesidePlace(window, QRect(400, 200, 900, 500), screen), QPoint(1300, 200));
    // No room on the right: left of it.
    EXPECT_EQ(BesidePlace(window, QRect(401, 200, 900, 500), screen), QPoint(101, 200));
    // No room on either side: below it, then above it.
    EXPECT_EQ(BesidePlace(window, QRect(200, 100, 1250, 500), screen), QPoint(200, 600));
    EXPECT_EQ(BesidePlace(window, QRect(200, 400, 1250, 550), screen), QPoint(200, 280));
    // Room nowhere: inside the main window's bottom-right corner.
    EXPECT_EQ(BesidePlace(window, QRect(100, 50, 1400, 900), screen), QPoint(1200, 830));
    // ... kept on the screen when the main window runs off it.
    EXPECT_EQ(BesidePlace(window, QRect(-50, -20, 1700, 1100), screen), QPoint(1300, 880));
    // A second screen to the right.
    EXPECT_EQ(BesidePlace(window, QRect(1700, 100, 800, 500), QRect(1600, 0, 1280, 1024)),
              QPoint(2500, 100));
}

// Dialogs whose fields fix their size offer no maximize button.
void ExpectFixedWithoutMaximize(QWidget& window, const char* name) {
    const Qt::WindowFlags flags = window.windowFlags();
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint) << name;
    EXPECT_TRUE(flags & Qt::CustomizeWindowHint) << name;
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint) << name;
    EXPECT_TRUE(flags & Qt::WindowTitleHint) << name;
    ASSERT_NE(nullptr, window.layout()) << name;
    EXPECT_EQ(window.layout()->sizeConstraint(), QLayout::SetFixedSize) << name;
}

// The window as the user first sees it is wide enough for its whole title.
void ExpectTitleShown(QWidget& window, const char* name) {
    window.show();
    window.layout()->activate();
    EXPECT_GE(window.width(), TitleBarWidth(window)) << name;
    window.hide();
}

TEST(WindowHabits, DialogsOfAFixedSizeHaveNoMaximizeButton) {
    CSettingsStore settings("");
    CPortSelect portSelect(0);
    CCommSetUp commSetUp(settings, 1, 0);
    CGPIBAddrEditDlg gpib(12);
    CIPEdit ip(MyIPAddr::FromOctets(127, 0, 0, 1), 5000);
    CSelectCalGenType calGen;
    CAboutDlg about;
    CTfrDlg transfer;
    const std::pair<QWidget*, const char*> dialogs[] = {
        {&portSelect, "Port Select Dialog"},    {&commSetUp, "Communicaton Setup"},
        {&gpib, "Edit GPIB Address Dialog"},    {&ip, "Edit IP Address"},
        {&calGen, "Select CalGen Type"},        {&about, "About"},
        {&transfer, "Download/Upload Message"},
    };
    // Laid out in boxes, forms and grids, each as wide as its title needs.
    for (const auto& [dialog, name] : dialogs) {
        ExpectFixedWithoutMaximize(*dialog, name);
        ExpectTitleShown(*dialog, name);
    }

    TempDir dir;
    ProgramRun run(WriteQuietSettings(dir.File("Tundrix.INI")));
    // The bar keeps its size in a dock that can be moved, floated and closed.
    ASSERT_NE(nullptr, run.View().ShortcutBar()->layout());
    EXPECT_EQ(run.View().ShortcutBar()->layout()->sizeConstraint(), QLayout::SetFixedSize);
    const CShortcutDock& dock = *run.View().ShortcutDock();
    EXPECT_EQ("Short Cuts", dock.windowTitle());
    EXPECT_EQ(dock.features(), QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                                   QDockWidget::DockWidgetFloatable);
}

TEST(WindowHabits, TheTransferCalGenAndLoggingDialogsAreFixedWithoutMaximizeShowingTheirTitles) {
    TestUi boxes;
    CCalTblNumReq curveNumber;
    CPIDTblNumReq pidNumber(boxes);
    COnePoint onePoint(OnePointForm("Please enter a reference point at around 300K"), boxes, {});
    CTWOPOINTS diode(DiodeTwoPointsForm(), boxes, {});
    CTWOPOINTS platinum(PlatinumTwoPointsForm(), boxes, {});
    CThreePoints threePoints(ThreePointsForm(), boxes, {});
    DataLogSetupData setup;
    setup.interval = 30.0;
    CDataLogSetup logSetup(setup, boxes);
    CDataLoggingInProcMessage inProgress(boxes);
    const std::pair<QWidget*, const char*> dialogs[] = {
        {&curveNumber, "User Curve Number"},
        {&pidNumber, "PID Table Number"},
        {&onePoint, "Enter a single reference point"},
        {&diode, "Enter two reference points (diode)"},
        {&platinum, "Enter two reference points (platinum)"},
        {&threePoints, "Enter three reference points"},
        {&logSetup, "Data Logging Setup Dialog"},
        {&inProgress, "Data Logging in progress Message"},
    };
    for (const auto& [dialog, name] : dialogs) {
        ExpectFixedWithoutMaximize(*dialog, name);
        ExpectTitleShown(*dialog, name);
    }
    // The curve number note keeps its three lines' width.
    EXPECT_GE(curveNumber.width(), 420);
}

TEST(WindowHabits, AMessageBoxOfAShortTextIsWideEnoughForItsTitle) {
    QWidget owner;
    CMessageBoxes boxes(owner);
    QString title, text;
    int width = 0, needed = 0;
    const auto seen = WhenModalOpens([&](QWidget& box) {
        title = box.windowTitle();
        text = static_cast<QMessageBox&>(box).text();
        width = box.width();
        needed = TitleBarWidth(box);
        static_cast<QMessageBox&>(box).accept();
    });
    boxes.ShowMessage("Upload Complete", MessageIcon::Information);
    ASSERT_TRUE(*seen);
    EXPECT_EQ("Tundrix Utility Software", title);
    EXPECT_EQ("Upload Complete", text);
    EXPECT_GE(width, needed);
}

TEST(WindowHabits, ATitleBarHoldsTheTitleInBoldBesideAnIconAndThreeButtons) {
    QWidget window;
    window.setWindowTitle(QStringLiteral("PID Table Number"));
    QFont bold = window.font();
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    EXPECT_GE(TitleBarWidth(window),
              metrics.horizontalAdvance(QStringLiteral("PID Table Number")) + 4 * metrics.height());
    window.setWindowTitle(QStringLiteral("PID Table Number, a longer title"));
    EXPECT_GT(TitleBarWidth(window),
              metrics.horizontalAdvance(QStringLiteral("PID Table Number")) +
                  metrics.horizontalAdvance(QStringLiteral(", a longer title")));
}

TEST(WindowHabits, CtrlQEndsTheProgramFromAnyOfItsWindows) {
    TempDir dir;
    ProgramRun run(WriteQuietSettings(dir.File("Tundrix.INI")));
    QAction* exit = run.Frame().CommandAction(MenuCommand::Exit);
    EXPECT_EQ(exit->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    EXPECT_EQ(exit->shortcutContext(), Qt::ApplicationShortcut);

    // The shortcut bar floating on its own.
    CShortcutDock& dock = *run.View().ShortcutDock();
    dock.setFloating(true);
    dock.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &dock; }));
    QTest::keyClick(&dock, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(run.Frame().isVisible());
}

TEST(WindowHabits, ShortcutBarTipsSayWhatAButtonDoesAndWhyItIsDisabled) {
    CShortcutBarState::Snapshot shown;
    shown.enabled[static_cast<int>(ShortcutButton::Connect)] = true;
    const QString connect = CShortCutButtons::ButtonTip(ShortcutButton::Connect, shown);
    EXPECT_EQ(connect, "Connect to the instrument on the selected port and identify it");
    EXPECT_EQ(CShortCutButtons::ButtonTip(ShortcutButton::PidDownload, shown),
              "Send a PID table from a .pid file to the instrument\n"
              "Not available: not connected. Connect first.");
    shown.featuresApplied = true;
    EXPECT_EQ(CShortCutButtons::ButtonTip(ShortcutButton::PidDownload, shown),
              "Send a PID table from a .pid file to the instrument\n"
              "Not available: the connected model lacks this feature.");

    // On the bar: before Connect every model-dependent button waits for it.
    TempDir dir;
    ProgramRun run(WriteQuietSettings(dir.File("Tundrix.INI")));
    CShortCutButtons& bar = *run.View().ShortcutBar();
    for (ShortcutButton button : {ShortcutButton::CurveDownload, ShortcutButton::Interact,
                                  ShortcutButton::DataLogging, ShortcutButton::UploadDataLog})
        EXPECT_TRUE(bar.Button(button)->toolTip().endsWith("not connected. Connect first."))
            << bar.Button(button)->toolTip().toStdString();
    EXPECT_EQ(bar.Button(ShortcutButton::CalGen)->toolTip(),
              "Generate a sensor curve fitted to your sensor from reference points");

    // A model of class 1 has no PID tables: the bar says the model lacks it.
    run.View().Core().Features().ApplyModel(30);
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar.Button(ShortcutButton::Interact)->isEnabled(); }));
    EXPECT_FALSE(bar.Button(ShortcutButton::PidDownload)->isEnabled());
    EXPECT_TRUE(bar.Button(ShortcutButton::PidDownload)->toolTip().endsWith("lacks this feature."));
    EXPECT_EQ(bar.Button(ShortcutButton::Interact)->toolTip(),
              "Open the terminal: type commands and queries, see them in the log");
}

} // namespace
