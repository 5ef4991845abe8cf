#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

#include "base/ui/FileChooser.h"
#include "curves/CurveTestFiles.h"
#include "curves/dialogs/CurveConversion.h"
#include "curves/dialogs/CurveHeaderDialog.h"
#include "curves/dialogs/CurveHeaderEdit.h"
#include "logging/ui/ChartControl.h"
#include "logging/ui/Graph.h"
#include "support/TestUi.h"
#include "support/ui/QtDialogs.h"

namespace {

// Types the name into the file dialog and confirms it, as a user would.
void Choose(QFileDialog* dialog, const std::string& path) {
    dialog->findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(path));
    static_cast<QDialog*>(dialog)->accept();
}

struct HeaderWidgets {
    explicit HeaderWidgets(QWidget* dialog) {
        auto boxes = dialog->findChildren<QComboBox*>();
        auto edits = dialog->findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly);
        type = boxes.at(0);
        unit = boxes.at(1);
        name = edits.at(0);
        multiplier = edits.at(1);
        count = edits.at(2);
        save = dialog->findChild<QCheckBox*>();
    }
    QComboBox* type;
    QComboBox* unit;
    QLineEdit* name;
    QLineEdit* multiplier;
    QLineEdit* count;
    QCheckBox* save;
};

} // namespace

TEST(CurveHeaderEdit, ShowsTheHeaderWithItsListsAndEnableStates) {
    TestUi ui;
    CCurveHeaderEdit dialog(ui);
    EXPECT_EQ("Edit Curve Header:", dialog.windowTitle());
    QStringList labels;
    for (auto* label : dialog.findChildren<QLabel*>())
        labels << label->text();
    EXPECT_EQ(
        QStringList({"Sensor Name:", "Sensor Type:", "Multiplier:", "Unit:", "Number of Pts:"}),
        labels);
    for (const char* text : {"Accept", "Abort", "Display Curve"})
        EXPECT_NE(nullptr, Button(&dialog, text)) << text;
    HeaderWidgets w(&dialog);
    EXPECT_EQ(QStringList({"Diode", "PTC100", "PTC1K", "PTC10K", "ACR", "TC80", "None"}),
              Items(w.type));
    EXPECT_TRUE(w.type->isEditable());
    EXPECT_EQ(QStringList({"Volts", "mVolts", "Ohms", "LogOhms"}), Items(w.unit));
    EXPECT_EQ("Save as .crv file", w.save->text());

    dialog.SetHeader("Probe", "R8K10UA", -1.0f, UnitLogOhms, 76, false);
    EXPECT_EQ("Probe", w.name->text());
    EXPECT_EQ("R8K10UA", w.type->currentText());
    EXPECT_EQ("-1", w.multiplier->text());
    EXPECT_EQ("76", w.count->text());
    // Shown, not edited: read-only, so it stays readable and can be copied.
    EXPECT_TRUE(w.count->isReadOnly());
    EXPECT_TRUE(w.count->isEnabled());
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(w.save->isEnabled());
    EXPECT_FALSE(w.save->isChecked());
    const std::pair<int, int> unitIndex[] = {{0, 0}, {1, 1}, {2, 0}, {3, 2}, {4, 3}, {9, 0}};
    for (const auto& [code, index] : unitIndex) {
        dialog.SetHeader("P", "Diode", 1.0f, static_cast<UnitCode>(code), 4, true);
        EXPECT_EQ(index, w.unit->currentIndex()) << code;
    }
    dialog.SetSaveAsCrv(true);
    EXPECT_FALSE(w.save->isEnabled());
    EXPECT_TRUE(w.save->isChecked());
    const char* texts[] = {"Volts", "mVolts", "Ohms", "LogOhm"};
    for (int i = 0; i < 4; ++i) {
        w.unit->setCurrentIndex(i);
        EXPECT_EQ(texts[i], dialog.UnitText());
    }
}

TEST(CurveHeaderEdit, AcceptGivesBackTheEditedHeaderAndAbortNothing) {
    TestUi ui;
    CCurveHeaderDialog dialogs(ui, nullptr);
    CurveHeader header;
    header.name = "Sonde \xE4"; // Latin-1 from a file: kept byte for byte when not edited
    header.type = "ACR";
    header.count = 5;
    header.saveAsCrv = true;
    WhenModal<CCurveHeaderEdit>([&](CCurveHeaderEdit* dialog) {
        HeaderWidgets w(dialog);
        w.type->setCurrentText("TC80");
        w.unit->setCurrentIndex(3);
        w.save->setChecked(false);
        w.multiplier->setText("1,5");
        Button(dialog, "Accept")->click();
        EXPECT_TRUE(dialog->isVisible());
        w.multiplier->setText(" 2.5e-1 ");
        Button(dialog, "Accept")->click();
    });
    ASSERT_TRUE(dialogs.EditCurveHeader(header, nullptr));
    EXPECT_EQ("Enter a number.", ui.BoxTexts().at(0));
    EXPECT_EQ("Sonde \xE4", header.name);
    EXPECT_EQ("TC80", header.type);
    EXPECT_EQ(0.25f, header.multiplier);
    EXPECT_EQ("LogOhm", header.unitText);
    EXPECT_FALSE(header.saveAsCrv);

    WhenModal<CCurveHeaderEdit>([](CCurveHeaderEdit* dialog) { Button(dialog, "Abort")->click(); });
    EXPECT_FALSE(dialogs.EditCurveHeader(header, nullptr));
}

// Each field goes to the instrument as a line of its own.
TEST(CurveHeaderEdit, AcceptRefusesAFieldWithAControlCharacter) {
    TestUi ui;
    CCurveHeaderDialog dialogs(ui, nullptr);
    CurveHeader header;
    WhenModal<CCurveHeaderEdit>([](CCurveHeaderEdit* dialog) {
        HeaderWidgets w(dialog);
        w.type->setCurrentText("Diode\x1b");
        Button(dialog, "Accept")->click();
        EXPECT_TRUE(dialog->isVisible());
        w.type->setCurrentText("ACR");
        Button(dialog, "Accept")->click();
    });
    ASSERT_TRUE(dialogs.EditCurveHeader(header, nullptr));
    EXPECT_EQ(std::vector<std::string>{"Sensor Type holds the control character 0x1B; a header "
                                       "field is one line of text"},
              ui.BoxTexts());
    EXPECT_EQ("ACR", header.type);
}

TEST(CurveHeaderEdit, DisplayCurvePlotsTemperatureAgainstOutput) {
    TestUi ui;
    CCurveHeaderEdit dialog(ui);
    const float temperatures[] = {300.0f, 77.0f, 4.2f};
    const float values[] = {100.0f, 20.0f, 2.5f};
    dialog.SetPlotData(temperatures, values, 3, UnitOhms);
    WhenModal<CGraph>([](CGraph* graph) {
        ASSERT_NE(nullptr, graph->Chart());
        EXPECT_EQ("Sensor Curve", graph->Chart()->Title());
        EXPECT_EQ("Temperature (K)", graph->Chart()->XAxisTitle());
        EXPECT_EQ("Output (Ohms)", graph->Chart()->YAxisTitle());
        EXPECT_EQ(QList<QPointF>({{300, 100}, {77, 20}, {4.2f, 2.5}}),
                  graph->Chart()->LinePoints(0));
        graph->reject();
    });
    Button(&dialog, "Display Curve")->click();
    EXPECT_TRUE(ui.Boxes().empty());

    dialog.SetPlotData(temperatures, nullptr, 3, UnitOhms);
    Button(&dialog, "Display Curve")->click();
    ASSERT_EQ(1u, ui.Boxes().size());
    EXPECT_EQ("Null Pointer", ui.Boxes()[0].text);
    EXPECT_EQ(MessageIcon::Stop, ui.Boxes()[0].icon);
}

TEST(Graph, HoldsLinesUpToItsCapacityAndDrawsThoseWithPoints) {
    TestUi ui;
    CGraph graph(ui);
    const float x[] = {1, 2, 3};
    const float y[] = {4, 5, 6};
    graph.AddLine(x, y, 3);
    graph.SetLineCapacity(0);
    EXPECT_EQ(0u, graph.LineCount());
    graph.SetLineCapacity(2);
    graph.AddLine(x, y, 0);
    graph.AddLine(x, y, 3);
    graph.AddLine(x, y, 2);
    EXPECT_EQ((std::vector<std::string>{"The graph must be set up with at least 1 line",
                                        "The graph must be set up with at least 1 line",
                                        "The number of lines exceeded the maximum."}),
              ui.BoxTexts());
    EXPECT_EQ(2u, graph.LineCount());
    EXPECT_EQ(3u, graph.LongestLine());

    graph.SetTitles(QString(60, 'T'), QString(51, 'x'), "y");
    EXPECT_EQ(QString(60, 'T'), graph.windowTitle());
    EXPECT_EQ(nullptr, graph.Chart());
    graph.show();
    ASSERT_NE(nullptr, graph.Chart());
    EXPECT_EQ(QString(50, 'T'), graph.Chart()->Title());
    EXPECT_EQ(QString(50, 'x'), graph.Chart()->XAxisTitle());
    EXPECT_EQ(1, graph.Chart()->LineCount());
    EXPECT_EQ(QList<QPointF>({{1, 4}, {2, 5}, {3, 6}}), graph.Chart()->LinePoints(0));
    graph.reject();
    EXPECT_EQ(nullptr, graph.Chart());

    graph.SetLineCapacity(1);
    EXPECT_EQ(0u, graph.LineCount());
    EXPECT_EQ(0u, graph.LongestLine());
}

TEST(Graph, OpeningWithoutCapacityShowsTheMessageAndAnEmptyWindow) {
    TestUi ui;
    CGraph graph(ui);
    graph.show();
    EXPECT_EQ(std::vector<std::string>{"The graph must be set up with at least 1 line"},
              ui.BoxTexts());
    EXPECT_EQ(nullptr, graph.Chart());
    // A title of its own, not the program's name that the window manager shows for none.
    EXPECT_EQ("Curve Graph", graph.windowTitle());
    graph.reject();
}

TEST(ChartControl, StripScrollsLeftAndKeepsTheRangeItWasGiven) {
    CChartControl chart;
    chart.SetTitles("Channel A", "Time", " (K)");
    chart.SetStrip(QStringList(), std::vector<float>(20, 0.0f));
    chart.SetValueRange(-5.5, 85.03);
    for (int i = 0; i < 25; ++i)
        chart.AppendStripPoint(QString("12:00:%1").arg(i, 2, 10, QLatin1Char('0')),
                               static_cast<float>(i));
    auto points = chart.LinePoints(0);
    ASSERT_EQ(20, points.size());
    EXPECT_EQ(QPointF(0, 5), points.first());
    EXPECT_EQ(QPointF(19, 24), points.last());
    EXPECT_EQ("12:00:05", chart.StripLabels().first());
    EXPECT_EQ("12:00:24", chart.StripLabels().last());
    EXPECT_LE(chart.ShownLabels().size(), CChartControl::MaxShownLabels);
    EXPECT_TRUE(chart.ShownLabels().contains("12:00:24"));
    EXPECT_EQ(-5.5, chart.ValueAxisMin());
    EXPECT_EQ(85.03, chart.ValueAxisMax());
    EXPECT_EQ("Time", chart.XAxisTitle());
}

TEST(FileChooser, FiltersOfTheCoreBecomeDialogFilters) {
    EXPECT_EQ(QStringList({"Curve Files (.340) (*.340)", "All Files (*.*)"}),
              CFileChooser::NameFilters("Curve Files (.340)|*.340| All Files (*.*)|*.*||"));
    EXPECT_EQ(
        QStringList({"Curve Files (.crv .340) (*.crv *.340)", "All Files (*.*)"}),
        CFileChooser::NameFilters("Curve Files (.crv .340)|*.crv;*.340| All Files (*.*)|*.*||"));
    EXPECT_EQ(QStringList({"Curve Files (*.crv)"}),
              CFileChooser::NameFilters("Curve Files (*.crv)|*.crv||"));
}

TEST(CurveConversion, MenuCommandConvertsThroughTheRealDialogs) {
    TempDir dir;
    Published340 file;
    file.points = DiodePoints(5);
    const std::string source = WriteFile(dir.File("sensor.340"), file.Text());
    WhenModal<QFileDialog>([&](QFileDialog* open) {
        Choose(open, source);
        WhenModal<CCurveHeaderEdit>([&](CCurveHeaderEdit* header) {
            Button(header, "Accept")->click();
            WhenModal<QFileDialog>([&](QFileDialog* save) {
                EXPECT_EQ(QFileDialog::AcceptSave, save->acceptMode());
                Choose(save, dir.File("converted")); // the dialog adds ".crv"
                static_cast<QDialog*>(save)->accept();
            });
        });
    });
    TestUi ui;
    EXPECT_EQ(ConvertOutcome::Saved, RunCurveConversion(nullptr, ui, ui));
    EXPECT_EQ("Converted Sensor Curve saved\r\n", ui.Log());
    EXPECT_EQ(0u, ReadFile(dir.File("converted.crv")).find("D6091234\nDiode\n-1.0000000\nVolts\n"));
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
