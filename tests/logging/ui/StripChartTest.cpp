// The strip chart window offscreen: what it hands to the chart, its fields and
// buttons, its failure boxes and its coalesced drawing.

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "logging/ui/ChartControl.h"
#include "logging/ui/StripChart.h"
#include "support/TestUi.h"
#include "support/ui/FieldText.h"
#include "support/ui/QtDialogs.h"

namespace {

// A created window with N points, shown, its boxes recorded.
class StripChartTest : public ::testing::Test {
protected:
    explicit StripChartTest(unsigned points = 100) : chart_(ui_) {
        chart_.SetPointCount(points);
        chart_.Create();
        chart_.show();
    }

    // Adds the point and draws it at once.
    void Add(float value) {
        chart_.AddPoint(value);
        chart_.FlushRedraw();
    }
    QList<double> Values() const {
        QList<double> values;
        for (const QPointF& p : chart_.Chart()->LinePoints(0))
            values.append(p.y());
        return values;
    }
    void Type(QLineEdit* field, const QString& text) {
        field->clear();
        QTest::keyClicks(field, text);
    }

    TestUi ui_;
    CStripChart chart_;
};

} // namespace

TEST_F(StripChartTest, OpensInAutomaticScalingWithAnEmptyChart) {
    EXPECT_EQ("Strip Chart", chart_.windowTitle());
    EXPECT_TRUE(chart_.IsCreated());
    EXPECT_EQ(1, chart_.RebuildCount());
    // The automatic range is shown read-only: readable and copyable, not greyed out.
    for (QLineEdit* field : {chart_.MaxField(), chart_.MinField()}) {
        EXPECT_TRUE(field->isEnabled());
        EXPECT_TRUE(field->isReadOnly());
    }
    EXPECT_FALSE(chart_.ApplyButton()->isEnabled());
    EXPECT_EQ(7, chart_.MaxField()->maxLength());
    EXPECT_EQ(7, chart_.MinField()->maxLength());
    EXPECT_EQ("0", chart_.MaxField()->text());
    EXPECT_EQ(QList<double>(100, 0.0), Values());
    EXPECT_EQ(QStringList(100, QString()), chart_.Chart()->StripLabels());
    EXPECT_EQ("Time", chart_.Chart()->XAxisTitle());
    EXPECT_EQ(" ()", chart_.Chart()->YAxisTitle());
    EXPECT_TRUE(ui_.Boxes().empty());
}

TEST_F(StripChartTest, AutomaticScalingWidensAndRebuildsOnlyForANewExtreme) {
    Add(77.3f);
    EXPECT_EQ(2, chart_.RebuildCount());
    EXPECT_NEAR(85.03, chart_.Chart()->ValueAxisMax(), 1e-5);
    EXPECT_EQ(0.0, chart_.Chart()->ValueAxisMin());
    EXPECT_EQ("85.0300", chart_.MaxField()->text());
    EXPECT_NEAR(77.3, Values().last(), 1e-5);
    // Stamped with the time of day.
    const QString label = chart_.Chart()->StripLabels().last();
    EXPECT_TRUE(QTime::fromString(label, "HH:mm:ss").isValid()) << label.toStdString();

    Add(80.0f);
    EXPECT_EQ(2, chart_.RebuildCount());
    EXPECT_NEAR(85.03, chart_.Chart()->ValueAxisMax(), 1e-5);
    EXPECT_EQ(80.0, Values().last());

    Add(90.0f);
    EXPECT_EQ(3, chart_.RebuildCount());
    EXPECT_NEAR(99.0, chart_.Chart()->ValueAxisMax(), 1e-9);
    EXPECT_EQ("99", chart_.MaxField()->text());
    EXPECT_EQ(90.0, Values().last());
    EXPECT_NEAR(80.0, Values()[98], 1e-9);
}

TEST_F(StripChartTest, ANegativeFirstValueWidensTheMinimumOnly) {
    Add(-5.0f);
    EXPECT_NEAR(-5.5, chart_.Chart()->ValueAxisMin(), 1e-9);
    EXPECT_EQ(0.0, chart_.Chart()->ValueAxisMax());
    EXPECT_EQ("-5.5", chart_.MinField()->text());
    EXPECT_EQ("0", chart_.MaxField()->text());
}

TEST_F(StripChartTest, AutoAfterClearKeepsTheOldRange) {
    Add(50.0f);
    Add(-10.0f);
    Button(&chart_, "Clear")->click();
    chart_.FlushRedraw();
    EXPECT_EQ(QList<double>(100, 0.0), Values());
    EXPECT_EQ(QStringList(100, QString()), chart_.Chart()->StripLabels());
    EXPECT_NEAR(55.0, chart_.Chart()->ValueAxisMax(), 1e-9);

    Button(&chart_, "Manual")->click();
    Button(&chart_, "Auto")->click();
    chart_.FlushRedraw();
    EXPECT_NEAR(55.0, chart_.Chart()->ValueAxisMax(), 1e-9);
    EXPECT_NEAR(-11.0, chart_.Chart()->ValueAxisMin(), 1e-9);
    EXPECT_FALSE(chart_.ApplyButton()->isEnabled());
}

TEST_F(StripChartTest, TheHundredAndFirstPointPushesOutTheFirst) {
    for (int i = 1; i <= 101; ++i)
        chart_.AddPoint(static_cast<float>(i));
    chart_.FlushRedraw();
    const QList<double> values = Values();
    ASSERT_EQ(100, values.size());
    EXPECT_EQ(2.0, values.first());
    EXPECT_EQ(101.0, values.last());
    EXPECT_EQ(100, chart_.Chart()->StripLabels().size());
    EXPECT_FALSE(chart_.Chart()->StripLabels().first().isEmpty());
}

TEST_F(StripChartTest, FieldsTakeDigitsAndPointsOnly) {
    // Read-only in automatic scaling: typing and Enter change nothing.
    QTest::keyClicks(chart_.MaxField(), "50");
    QTest::keyClick(chart_.MaxField(), Qt::Key_Return);
    EXPECT_EQ("0", chart_.MaxField()->text());
    EXPECT_EQ(1, chart_.RebuildCount());

    Button(&chart_, "Manual")->click();
    EXPECT_FALSE(chart_.MaxField()->isReadOnly());
    EXPECT_FALSE(chart_.MinField()->isReadOnly());
    EXPECT_TRUE(chart_.ApplyButton()->isEnabled());

    Type(chart_.MaxField(), "-12");
    EXPECT_EQ("12", chart_.MaxField()->text());
    Type(chart_.MaxField(), "1.5e3");
    EXPECT_EQ("1.53", chart_.MaxField()->text());
    EXPECT_EQ(4, chart_.MaxField()->cursorPosition());
    Type(chart_.MinField(), "123456789");
    EXPECT_EQ("1234567", chart_.MinField()->text());
    // Pasted text is filtered as well.
    chart_.MinField()->clear();
    chart_.MinField()->insert("a-7.5b");
    Q_EMIT chart_.MinField()->textEdited(chart_.MinField()->text());
    EXPECT_EQ("7.5", chart_.MinField()->text());
}

TEST_F(StripChartTest, TheWidestRangeTextShowsWhole) {
    Button(&chart_, "Manual")->click();
    for (QLineEdit* field : {chart_.MaxField(), chart_.MinField()}) {
        // Seven digits, the most a field takes; the text does not scroll out of view.
        field->setText("0000000");
        EXPECT_TRUE(ShowsWholeText(*field));
    }
}

TEST_F(StripChartTest, ApplyAndEnterTakeTheManualRangeOrSayWhyNot) {
    Button(&chart_, "Manual")->click();
    const int rebuilds = chart_.RebuildCount();
    const double shownMax = chart_.Chart()->ValueAxisMax();

    Type(chart_.MaxField(), "10");
    Type(chart_.MinField(), "10");
    Button(&chart_, "Apply")->click();
    chart_.FlushRedraw();
    ASSERT_EQ(1u, ui_.Boxes().size());
    EXPECT_EQ("Max value must be bigger than the min value", ui_.Boxes()[0].text);
    EXPECT_EQ(MessageIcon::Stop, ui_.Boxes()[0].icon);
    EXPECT_EQ(rebuilds, chart_.RebuildCount());
    EXPECT_EQ(shownMax, chart_.Chart()->ValueAxisMax());
    EXPECT_EQ(10.0, chart_.Scale().Max());
    EXPECT_EQ(10.0, chart_.Scale().Min());

    Type(chart_.MaxField(), "50");
    QTest::keyClick(chart_.MinField(), Qt::Key_Return);
    chart_.FlushRedraw();
    EXPECT_EQ(rebuilds + 1, chart_.RebuildCount());
    EXPECT_EQ(50.0, chart_.Chart()->ValueAxisMax());
    EXPECT_EQ(10.0, chart_.Chart()->ValueAxisMin());
    // Manual scaling keeps its range whatever comes in.
    Add(500.0f);
    EXPECT_EQ(50.0, chart_.Chart()->ValueAxisMax());
    EXPECT_EQ(rebuilds + 1, chart_.RebuildCount());

    ui_.Clear();
    Type(chart_.MaxField(), "2000");
    Button(&chart_, "Apply")->click();
    Type(chart_.MaxField(), "");
    QTest::keyClick(chart_.MaxField(), Qt::Key_Enter);
    EXPECT_EQ(
        std::vector<std::string>({"Enter a number between -273 and 1000.", "Enter a number."}),
        ui_.BoxTexts());
    EXPECT_EQ(50.0, chart_.Scale().Max());

    // In automatic scaling Enter applies nothing.
    ui_.Clear();
    Button(&chart_, "Auto")->click();
    QTest::keyClick(&chart_, Qt::Key_Return);
    EXPECT_TRUE(ui_.Boxes().empty());
}

TEST_F(StripChartTest, NameAndUnitTitleTheChartWithoutTheReplysLineEnd) {
    chart_.SetName("Cold stage\r\n");
    chart_.SetUnit("K");
    chart_.RebuildChart();
    chart_.FlushRedraw();
    EXPECT_EQ("Cold stage", chart_.Chart()->Title());
    EXPECT_EQ(" (K)", chart_.Chart()->YAxisTitle());
    EXPECT_EQ("Time", chart_.Chart()->XAxisTitle());
    EXPECT_EQ("Cold stage\r\n", chart_.Name());
}

TEST_F(StripChartTest, DrawingIsCoalescedAndWaitsWhileHidden) {
    for (int i = 1; i <= 10; ++i)
        chart_.AddPoint(1.0f);
    EXPECT_TRUE(chart_.RedrawPending());
    EXPECT_EQ(0.0, Values().last());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !chart_.RedrawPending(); }, 2000));
    EXPECT_EQ(QList<double>(10, 1.0), Values().mid(90));

    chart_.hide();
    chart_.AddPoint(2.0f);
    QTest::qWait(3 * CStripChart::RedrawDelayMs);
    EXPECT_TRUE(chart_.RedrawPending());
    EXPECT_EQ(1.0, Values().last());
    chart_.show();
    EXPECT_FALSE(chart_.RedrawPending());
    EXPECT_EQ(2.0, Values().last());
}

TEST_F(StripChartTest, CloseAndEscapeStoreThePlacementUnderTheTitleAndHide) {
    std::vector<std::pair<QString, WindowRect>> saved;
    chart_.SetPlacementSaver(
        [&](const QString& title, const WindowRect& rect) { saved.emplace_back(title, rect); });
    chart_.setWindowTitle("Channel C");
    chart_.setGeometry(40, 50, 500, 300);

    QTest::keyClick(&chart_, Qt::Key_Escape);
    EXPECT_FALSE(chart_.isVisible());
    ASSERT_EQ(1u, saved.size());
    EXPECT_EQ("Channel C", saved[0].first);
    EXPECT_EQ((WindowRect{40, 50, 540, 350}), saved[0].second);

    chart_.show();
    chart_.close();
    EXPECT_FALSE(chart_.isVisible());
    EXPECT_EQ(2u, saved.size());
}

TEST(StripChartFailures, MissingStorageAndChartAreReported) {
    TestUi ui;
    CStripChart early(ui);
    early.AddPoint(1.0f);
    EXPECT_EQ(std::vector<std::string>{"NULL Chart handle"}, ui.BoxTexts());

    ui.Clear();
    CStripChart empty(ui);
    empty.SetPointCount(0);
    empty.Create();
    EXPECT_EQ(std::vector<std::string>({"NULL data pointer", "NUL data pinters"}), ui.BoxTexts());
    ui.Clear();
    empty.AddPoint(1.0f);
    EXPECT_EQ(std::vector<std::string>{"NULL Data buffer pointers"}, ui.BoxTexts());
    for (const auto& box : ui.Boxes())
        EXPECT_EQ(MessageIcon::Stop, box.icon);
}

TEST(ChartControlLabels, ANarrowStripShowsNoMoreTimesThanFitUnderIt) {
    CChartControl chart;
    QStringList labels;
    for (int i = 0; i < 100; ++i)
        labels << QString("12:%1:%2").arg(i / 60, 2, 10, QChar('0')).arg(i % 60, 2, 10, QChar('0'));
    chart.resize(1600, 300);
    chart.show();
    chart.SetStrip(labels, std::vector<float>(100, 1.0f));
    ASSERT_TRUE(QTest::qWaitFor([&] { return chart.ShownLabels().size() == 8; }, 2000));
    EXPECT_TRUE(chart.ShownLabels().contains("12:01:39"));

    chart.resize(300, 300);
    ASSERT_TRUE(QTest::qWaitFor([&] { return chart.ShownLabels().size() < 4; }, 2000))
        << chart.ShownLabels().join(' ').toStdString();
    EXPECT_FALSE(chart.ShownLabels().isEmpty());
    // The newest point keeps its label.
    EXPECT_TRUE(chart.ShownLabels().contains("12:01:39"));
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
