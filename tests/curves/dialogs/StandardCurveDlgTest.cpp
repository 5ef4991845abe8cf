#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <gtest/gtest.h>

#include "curves/CurveTestFiles.h"
#include "curves/dialogs/StandardCurveDlg.h"
#include "logging/ui/ChartControl.h"
#include "logging/ui/Graph.h"
#include "support/TestUi.h"
#include "support/ui/QtDialogs.h"

namespace {

struct StandardWidgets {
    explicit StandardWidgets(QWidget* dialog) {
        auto lists = dialog->findChildren<QComboBox*>();
        auto edits = dialog->findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly);
        kind = lists.at(0);
        unit = lists.at(1);
        r0 = edits.at(0);
        from = edits.at(1);
        to = edits.at(2);
        points = dialog->findChild<QSpinBox*>();
    }
    QStringList Units() const {
        QStringList units;
        for (int i = 0; i < unit->count(); ++i)
            units << unit->itemText(i);
        return units;
    }
    void Enter(QLineEdit* field, const QString& text) const {
        field->setText(text);
        Q_EMIT field->editingFinished();
    }
    QComboBox* kind;
    QComboBox* unit;
    QLineEdit* r0;
    QLineEdit* from;
    QLineEdit* to;
    QSpinBox* points;
};

} // namespace

TEST(StandardCurveDlg, EachKindOpensOnItsStandardsRangeAndSaysTheError) {
    TestUi ui;
    CStandardCurveDlg dialog(ui, ui, nullptr);
    const StandardWidgets w(&dialog);
    EXPECT_EQ("Standard Curve", dialog.windowTitle());
    EXPECT_EQ("Pt100 (IEC 60751)", w.kind->currentText());
    EXPECT_FALSE(w.r0->isEnabled());
    EXPECT_EQ("100", w.r0->text());
    EXPECT_EQ("73.15", w.from->text());
    EXPECT_EQ("1123.15", w.to->text());
    EXPECT_EQ(200, w.points->value());
    EXPECT_EQ(QStringList({"Ohms", "LogOhm"}), w.Units());
    ASSERT_TRUE(dialog.Curve());
    EXPECT_EQ(200, dialog.Curve()->curve.count);
    EXPECT_TRUE(dialog.ResultText().contains(
        QRegularExpression("^0\\.00[0-9]{4} K \\(evenly spaced: 0\\.00[0-9]{4} K\\)$")))
        << dialog.ResultText().toStdString();
    // No instrument to take it.
    EXPECT_FALSE(Button(&dialog, "Download")->isEnabled());

    w.kind->setCurrentText("Platinum, R0 given (IEC 60751)");
    EXPECT_TRUE(w.r0->isEnabled());
    w.Enter(w.r0, "250");
    EXPECT_EQ("PTC100", dialog.Curve()->curve.type);
    EXPECT_EQ("Pt250 IEC60751", dialog.Curve()->curve.name);

    w.kind->setCurrentText("Type K (NIST ITS-90)");
    EXPECT_EQ("", w.r0->text());
    EXPECT_FALSE(w.r0->isEnabled());
    EXPECT_EQ("3.15", w.from->text());
    EXPECT_EQ("1645.15", w.to->text());
    EXPECT_EQ(QStringList({"mVolts"}), w.Units());
    EXPECT_EQ("mVolts", dialog.Curve()->curve.unitText);

    w.Enter(w.from, "2");
    EXPECT_FALSE(dialog.Curve());
    EXPECT_EQ("NIST ITS-90 type K is defined from 3.15 K to 1645.15 K: 2 K is outside.",
              dialog.ResultText());
    EXPECT_FALSE(Button(&dialog, "Save...")->isEnabled());
    EXPECT_FALSE(Button(&dialog, "Display Curve")->isEnabled());
    w.Enter(w.from, "cold");
    EXPECT_EQ("The range is not a number.", dialog.ResultText());
    w.Enter(w.from, "77");
    w.points->setValue(20);
    ASSERT_TRUE(dialog.Curve());
    EXPECT_EQ(20, dialog.Curve()->curve.count);
    EXPECT_FLOAT_EQ(77.0f, dialog.Curve()->curve.entries[0].temperature);
}

TEST(StandardCurveDlg, DisplaySaveAndDownloadHandTheCurveOn) {
    TempDir dir;
    TestUi ui;
    std::vector<std::pair<int, std::string>> downloads;
    CStandardCurveDlg dialog(ui, ui, [&](const SensorCurve& curve, const std::string& name) {
        downloads.emplace_back(curve.count, name);
    });
    const StandardWidgets w(&dialog);
    w.kind->setCurrentText("Type T (NIST ITS-90)");
    w.points->setValue(10);

    WhenModal<CGraph>([](CGraph* graph) {
        ASSERT_NE(nullptr, graph->Chart());
        EXPECT_EQ("Sensor Curve", graph->Chart()->Title());
        EXPECT_EQ("Output ( mVolts )", graph->Chart()->YAxisTitle());
        EXPECT_EQ(10, graph->Chart()->LinePoints(0).size());
        graph->reject();
    });
    Button(&dialog, "Display Curve")->click();

    const std::string file = dir.File("t.340");
    WhenModal<QFileDialog>([&](QFileDialog* save) {
        save->findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(file));
        static_cast<QDialog*>(save)->accept();
    });
    Button(&dialog, "Save...")->click();
    EXPECT_EQ(0u, ReadFile(file).find("Sensor Model:   Type T\nSerial Number:  Type T ITS-90\n"));
    const std::string log = ui.Log();
    EXPECT_EQ(0u, log.find("Type T ITS-90, 3.15 K to 673.15 K, 10 points: largest "
                           "interpolation error "))
        << log;
    EXPECT_NE(std::string::npos, log.find("     3.150000\n")) << log;
    EXPECT_TRUE(log.ends_with(";\nStandard curve saved to " + file + "\n")) << log;

    Button(&dialog, "Download")->click();
    EXPECT_EQ((std::vector<std::pair<int, std::string>>{{10, "Type T ITS-90"}}), downloads);
    EXPECT_TRUE(ui.Boxes().empty());
}
