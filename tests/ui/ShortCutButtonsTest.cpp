#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <thread>

#include "app/ShortcutBarState.h"
#include "app/ui/MainFrame.h"
#include "app/ui/SelectCalGenType.h"
#include "app/ui/ShortCutButtons.h"
#include "app/ui/ShortcutDock.h"
#include "app/ui/VantorView.h"
#include "support/TempDir.h"
#include "support/TestUi.h"
#include "ui/UiTestHelpers.h"

namespace {

enum class Hue { Transparent, Grey, Green, Red, Other };

// The colour a user sees in the middle of the lamp.
Hue LampHue(const QPixmap& lamp) {
    const QColor c = lamp.toImage().pixelColor(lamp.width() / 2, lamp.height() / 2 + 2);
    if (c.alpha() == 0)
        return Hue::Transparent;
    if (c.red() == c.green() && c.green() == c.blue())
        return Hue::Grey;
    if (c.green() > 2 * c.red() && c.green() > 2 * c.blue())
        return Hue::Green;
    if (c.red() > 2 * c.green() && c.red() > 2 * c.blue())
        return Hue::Red;
    return Hue::Other;
}

TEST(ShortCutButtonsTest, BeforeConnectShowsNotConnectedNoDeviceAndTheGreyLamp) {
    TempDir dir;
    ProgramRun run(WriteQuietSettings(dir.File("Tundrix.INI")));
    CShortCutButtons& bar = *run.View().ShortcutBar();

    EXPECT_TRUE(run.Boxes().empty());
    EXPECT_TRUE(bar.isVisible());
    EXPECT_EQ(bar.windowTitle(), "Short Cuts");
    // In a dock beside the log, not a window of its own.
    EXPECT_FALSE(bar.isWindow());
    EXPECT_TRUE(run.View().ShortcutDock()->isAncestorOf(&bar));
    QStringList texts;
    for (int i = 0; i < ShortcutButtonCount; ++i)
        texts << bar.Button(static_cast<ShortcutButton>(i))->text();
    EXPECT_EQ(texts, QStringList({"Sensor Curve    Download", "PID Table Download", "Interact",
                                  "CalGen", "Data Logging", "Upload Internal DataLog", "Connect"}));
    for (int i = 0; i < ShortcutButtonCount; ++i) {
        const auto button = static_cast<ShortcutButton>(i);
        EXPECT_EQ(bar.Button(button)->isEnabled(),
                  button == ShortcutButton::CalGen || button == ShortcutButton::Connect)
            << texts[i].toStdString();
    }
    EXPECT_EQ(bar.CommTypeText(), "GPIB");
    EXPECT_EQ(bar.StatusText(), "Not Connected");
    EXPECT_EQ(bar.ModelText(), "No Device");
    EXPECT_EQ(bar.VersionText(), "");
    EXPECT_EQ(LampHue(bar.Lamp()), Hue::Grey);
    EXPECT_EQ(bar.Lamp().toImage().pixelColor(0, 0).alpha(), 0);

    // Docked on the main window's right, beside the log.
    EXPECT_EQ(Qt::RightDockWidgetArea, run.Frame().dockWidgetArea(run.View().ShortcutDock()));
}

TEST(ShortCutButtonsTest, FollowsStateChangesFromAnyThread) {
    CShortcutBarState state;
    TestUi ui;
    CShortCutButtons bar(state, ui);
    EXPECT_TRUE(ui.Boxes().empty());

    std::thread worker([&] {
        state.SetStatus(StatusError);
        state.SetModelText("No Device", " ");
        state.SetCommType(3);
    });
    worker.join();
    EXPECT_TRUE(QTest::qWaitFor([&] { return bar.StatusText() == "Error"; }));
    EXPECT_EQ(LampHue(bar.Lamp()), Hue::Red);
    EXPECT_EQ(bar.CommTypeText(), "LAN");

    state.EnableButton(ShortcutButton::PidDownload, true);
    state.SetStatus(StatusConnected);
    EXPECT_TRUE(bar.Button(ShortcutButton::PidDownload)->isEnabled());
    EXPECT_EQ(bar.StatusText(), "Connected");
    EXPECT_EQ(LampHue(bar.Lamp()), Hue::Green);
}

TEST(ShortCutButtonsTest, WithoutLampImagesSaysSoAndStillWorks) {
    CShortcutBarState state;
    TestUi ui;
    CShortCutButtons bar(state, ui, nullptr, QImage(40, 16, QImage::Format_RGB32));

    ASSERT_EQ(ui.Boxes().size(), 1u);
    EXPECT_EQ(ui.Boxes()[0].text, "Failed to load LED bitmaps");
    EXPECT_EQ(ui.Boxes()[0].icon, MessageIcon::Stop);
    EXPECT_TRUE(bar.Lamp().isNull());
    EXPECT_EQ(bar.StatusText(), "Not Connected");
    EXPECT_EQ(bar.ModelText(), "No Device");

    QSignalSpy connect(&bar, &CShortCutButtons::ConnectRequested);
    bar.Button(ShortcutButton::Connect)->click();
    EXPECT_EQ(connect.count(), 1);
    state.SetStatus(StatusConnected);
    EXPECT_EQ(bar.StatusText(), "Connected");
}

TEST(ShortCutButtonsTest, CalGenDialogOffersPointsOnlyForADiodeAndAcceptHandsOnThePositions) {
    CSelectCalGenType dialog;
    EXPECT_EQ(dialog.windowTitle(), "Select CalGen Type");
    QStringList sensors, points;
    for (int i = 0; i < dialog.SensorList()->count(); ++i)
        sensors << dialog.SensorList()->itemText(i);
    for (int i = 0; i < dialog.PointsList()->count(); ++i)
        points << dialog.PointsList()->itemText(i);
    EXPECT_EQ(sensors, QStringList({"Diode", "Platinum", "Thermocouple"}));
    EXPECT_EQ(points, QStringList({"1 point at 300K", "1 point at 4.2K", "2 points", "3 points"}));
    EXPECT_EQ(dialog.SensorIndex(), 0);
    EXPECT_EQ(dialog.PointsIndex(), 0);
    EXPECT_TRUE(dialog.PointsList()->isEnabled());
    dialog.SensorList()->setCurrentIndex(2);
    EXPECT_FALSE(dialog.PointsList()->isEnabled());
    dialog.SensorList()->setCurrentIndex(1);
    EXPECT_FALSE(dialog.PointsList()->isEnabled());
    dialog.SensorList()->setCurrentIndex(0);
    EXPECT_TRUE(dialog.PointsList()->isEnabled());

    CShortcutBarState state;
    TestUi ui;
    CShortCutButtons bar(state, ui);
    QSignalSpy calGen(&bar, &CShortCutButtons::CalGenRequested);
    auto choose = [&](int sensor, int point, const QString& button) {
        auto seen = WhenModalOpens([=](QWidget& modal) {
            const auto lists = modal.findChildren<QComboBox*>();
            lists.value(0)->setCurrentIndex(sensor);
            lists.value(1)->setCurrentIndex(point);
            for (QPushButton* b : modal.findChildren<QPushButton*>())
                if (b->text() == button)
                    b->click();
        });
        bar.Button(ShortcutButton::CalGen)->click();
        EXPECT_TRUE(*seen);
    };
    choose(0, 3, "Accept");
    choose(2, 1, "Accept");
    choose(1, 2, "Cancel");
    ASSERT_EQ(calGen.count(), 2);
    EXPECT_EQ(calGen[0], (QList<QVariant>{0, 3}));
    EXPECT_EQ(calGen[1], (QList<QVariant>{2, 1}));
}

} // namespace
