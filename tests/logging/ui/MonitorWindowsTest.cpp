// The twelve monitor windows offscreen: titles, placement, readings, closing.

#include <QTest>
#include <gtest/gtest.h>

#include "base/SettingsStore.h"
#include "base/ui/WindowPlacement.h"
#include "logging/MonitorTable.h"
#include "logging/ui/ChartControl.h"
#include "logging/ui/MonitorWindows.h"
#include "logging/ui/StripChart.h"
#include "support/TempDir.h"
#include "support/TestUi.h"

namespace {

class MonitorWindowsTest : public ::testing::Test {
protected:
    MonitorWindowsTest() : settings_(dir_.File("Tundrix.INI")) {}

    // Draws what a window holds and gives its plotted values.
    static QList<double> Plotted(CStripChart& window) {
        window.FlushRedraw();
        QList<double> values;
        for (const QPointF& p : window.Chart()->LinePoints(0))
            values.append(p.y());
        return values;
    }

    TempDir dir_;
    CSettingsStore settings_;
    CMonitorFlags flags_;
    TestUi ui_;
};

} // namespace

TEST_F(MonitorWindowsTest, TwelveHiddenWindowsWithTheirTitlesAndDefaultPlaces) {
    CMonitorWindows monitors(settings_, flags_, ui_, nullptr);
    monitors.Create();
    const char* titles[] = {"Channel A", "Channel B", "Channel C", "Channel D",
                            "Channel E", "Channel F", "Channel G", "Channel H",
                            "Heater 1",  "Heater 2",  "Analog 1",  "Analog 2"};
    const QRect centred = CentredOnScreen(QSize(560, 320));
    for (int i = 0; i < MonitorCount; ++i) {
        SCOPED_TRACE(i);
        CStripChart* window = monitors.Window(i);
        ASSERT_NE(nullptr, window);
        EXPECT_EQ(titles[i], window->windowTitle());
        EXPECT_FALSE(window->isVisible());
        EXPECT_EQ(100u, window->Scale().PointCount());
        EXPECT_EQ(100, window->Chart()->StripLabels().size());
        const int step = i <= 7 ? 10 * i : 0;
        EXPECT_EQ(centred.translated(step, step), window->geometry());
    }
    EXPECT_TRUE(ui_.Boxes().empty());
}

TEST_F(MonitorWindowsTest, ClosingStoresThePlaceAndTheNextStartUsesIt) {
    {
        CMonitorWindows monitors(settings_, flags_, ui_, nullptr);
        monitors.Create();
        monitors.Open(2);
        monitors.Open(3);
        EXPECT_EQ(1, flags_.Get(2));
        CStripChart* c = monitors.Window(2);
        EXPECT_TRUE(c->isVisible());
        c->setGeometry(30, 40, 400, 250);
        c->close();
        EXPECT_FALSE(c->isVisible());
        EXPECT_EQ(0, flags_.Get(2));
        EXPECT_EQ(1, flags_.Get(3));
    }
    CSettingsStore reread(dir_.File("Tundrix.INI"));
    reread.Load();
    EXPECT_EQ((WindowRect{30, 40, 430, 290}), ReadWindowRect(reread, "CHCPOS"));
    EXPECT_TRUE(ReadWindowRect(reread, "CHDPOS").IsEmpty());

    CMonitorWindows next(reread, flags_, ui_, nullptr);
    next.Create();
    EXPECT_EQ(QRect(30, 40, 400, 250), next.Window(2)->geometry());
    // The channel after it cascades from where Channel C now is.
    EXPECT_EQ(QRect(40, 50, 400, 250), next.Window(3)->geometry());
}

TEST_F(MonitorWindowsTest, OpeningAMonitorShowsThatWindow) {
    CMonitorWindows monitors(settings_, flags_, ui_, nullptr);
    monitors.Create();
    monitors.Open(9);
    EXPECT_TRUE(monitors.Window(9)->isVisible());
    EXPECT_EQ("Heater 2", monitors.Window(9)->windowTitle());
    monitors.Open(11);
    EXPECT_TRUE(monitors.Window(11)->isVisible());
    EXPECT_EQ("Analog 2", monitors.Window(11)->windowTitle());
    for (int i = 0; i < MonitorCount; ++i)
        EXPECT_EQ(i == 9 || i == 11 ? 1 : 0, flags_.Get(i)) << i;
}

// Until its first reading a monitor says what it is and that it waits: its
// title, an output's unit, never an empty "()".
TEST_F(MonitorWindowsTest, AMonitorWithoutAReadingShowsItsTitleAndWaits) {
    CMonitorWindows monitors(settings_, flags_, ui_, nullptr);
    monitors.Create();
    const struct {
        int index;
        const char* title;
        const char* unitAxis;
    } rows[] = {
        {0, "Channel A: waiting for the first reading", ""},
        {7, "Channel H: waiting for the first reading", ""},
        {8, "Heater 1: waiting for the first reading", " (%)"},
        {11, "Analog 2: waiting for the first reading", " (%)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.index);
        monitors.Open(row.index);
        CStripChart& window = *monitors.Window(row.index);
        window.FlushRedraw();
        EXPECT_EQ(row.title, window.Chart()->Title());
        EXPECT_EQ(row.unitAxis, window.Chart()->YAxisTitle());
        EXPECT_EQ("Time", window.Chart()->XAxisTitle());
    }
    monitors.ShowReading(0, {"4.2", "K", "Cold stage\r\n"});
    Plotted(*monitors.Window(0));
    EXPECT_EQ("Cold stage", monitors.Window(0)->Chart()->Title());
    EXPECT_EQ(" (K)", monitors.Window(0)->Chart()->YAxisTitle());
    // A reading with the name and unit the window already holds still ends the wait.
    monitors.ShowReading(8, {"45.0", "", ""});
    Plotted(*monitors.Window(8));
    EXPECT_FALSE(monitors.Window(8)->Chart()->Title().contains("waiting"));
    EXPECT_TRUE(ui_.Boxes().empty());
}

TEST_F(MonitorWindowsTest, AReadingPlotsItsValueUnderItsNameAndANewUnitClearsFirst) {
    CMonitorWindows monitors(settings_, flags_, ui_, nullptr);
    monitors.Create();
    CStripChart& a = *monitors.Window(0);
    monitors.Open(0);

    monitors.ShowReading(0, {"12.345", "K", "Cold stage\r\n"});
    QList<double> values = Plotted(a);
    EXPECT_NEAR(12.345, values.last(), 1e-5);
    EXPECT_EQ("Cold stage", a.Chart()->Title());
    EXPECT_EQ(" (K)", a.Chart()->YAxisTitle());

    // A new name keeps the points and renames the chart.
    monitors.ShowReading(0, {"13", "K", "Warm stage\r\n"});
    values = Plotted(a);
    EXPECT_NEAR(12.345, values[98], 1e-5);
    EXPECT_EQ(13.0, values.last());
    EXPECT_EQ("Warm stage", a.Chart()->Title());

    // A new unit clears first.
    monitors.ShowReading(0, {"-260.1", "C", "Warm stage\r\n"});
    values = Plotted(a);
    EXPECT_NEAR(-260.1, values.last(), 1e-4);
    EXPECT_EQ(QList<double>(99, 0.0), values.mid(0, 99));
    EXPECT_EQ(" (C)", a.Chart()->YAxisTitle());
    EXPECT_EQ(QStringList(99, QString()), a.Chart()->StripLabels().mid(0, 99));

    // A value that is no number is plotted as 0.
    monitors.ShowReading(0, {"", "C", "no separators"});
    EXPECT_EQ(0.0, Plotted(a).last());
    EXPECT_EQ("no separators", a.Chart()->Title());
    EXPECT_TRUE(ui_.Boxes().empty());
}

TEST_F(MonitorWindowsTest, AnOutputsReadingIsInPercent) {
    CMonitorWindows monitors(settings_, flags_, ui_, nullptr);
    monitors.Create();
    monitors.ShowReading(8, {"45.0", "%", "Heater\r\n"});
    CStripChart& heater = *monitors.Window(8);
    EXPECT_EQ(45.0, Plotted(heater).last());
    EXPECT_EQ("Heater", heater.Chart()->Title());
    EXPECT_EQ(" (%)", heater.Chart()->YAxisTitle());
    // A hidden monitor keeps its data for its next opening.
    monitors.Open(8);
    EXPECT_EQ(45.0, Plotted(heater).last());
}
