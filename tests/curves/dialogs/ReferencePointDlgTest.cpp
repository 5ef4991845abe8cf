#include <QFileDialog>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <gtest/gtest.h>

#include "curves/CurveTestFiles.h"
#include "curves/dialogs/CalGenRun.h"
#include "curves/dialogs/OnePoint.h"
#include "curves/dialogs/ReferencePointDialogs.h"
#include "curves/dialogs/TWOPOINTS.h"
#include "curves/dialogs/ThreePoints.h"
#include "support/TestUi.h"
#include "support/ui/QtDialogs.h"

namespace {

// The texts of the dialog's labels, top to bottom and left to right.
QStringList LabelTexts(QWidget* dialog) {
    dialog->layout()->activate();
    QList<QLabel*> labels = dialog->findChildren<QLabel*>();
    std::stable_sort(labels.begin(), labels.end(), [](QLabel* a, QLabel* b) {
        return a->y() != b->y() ? a->y() < b->y() : a->x() < b->x();
    });
    QStringList texts;
    for (QLabel* label : labels)
        texts << label->text();
    return texts;
}

// Counts the calculator's actions instead of starting anything.
struct Calculator {
    int launches = 0;
    int quillmereCloses = 0;
    CalculatorActions Actions() {
        return {[this] { ++launches; }, [this] { ++quillmereCloses; }};
    }
};

// One field's range as the dialog must enforce it.
struct FieldCase {
    int row;
    bool temperature; // else the value field
    float low, high;
};

// Fills every field with a value inside its range, then tries each bound of
// each field and just beyond it: the bounds close the dialog with the value
// taken, beyond them it stays open with the validation message.
void ExpectRanges(const ReferenceForm& form, const std::vector<FieldCase>& fields,
                  const std::function<CReferencePointDlg*(const ReferenceForm&, TestUi&)>& make) {
    for (const FieldCase& field : fields) {
        const float nudge = field.high >= 1000 ? 0.1f : 0.01f;
        const std::pair<float, bool> tries[] = {{field.low, true},
                                                {field.high, true},
                                                {field.low - nudge, false},
                                                {field.high + nudge, false}};
        for (const auto& [value, accepted] : tries) {
            TestUi ui;
            std::unique_ptr<CReferencePointDlg> dialog(make(form, ui));
            for (std::size_t r = 0; r < form.rows.size(); ++r) {
                const ReferenceRow& row = form.rows[r];
                const int i = static_cast<int>(r);
                dialog->TemperatureEdit(i)->setText(QString::number(row.temperatureRange.high));
                dialog->ValueEdit(i)->setText(QString::number(row.valueRange.low));
            }
            QLineEdit* edit = field.temperature ? dialog->TemperatureEdit(field.row)
                                                : dialog->ValueEdit(field.row);
            edit->setText(QString::number(value, 'g', 9));
            dialog->open();
            Button(dialog.get(), "OK")->click();
            const std::string what = "row " + std::to_string(field.row) +
                                     (field.temperature ? " temperature " : " value ") +
                                     std::to_string(value);
            if (accepted) {
                EXPECT_EQ(QDialog::Accepted, dialog->result()) << what;
                const ReferenceRow& row = dialog->Form().rows[static_cast<std::size_t>(field.row)];
                EXPECT_EQ(value, field.temperature ? row.temperature : row.value) << what;
                EXPECT_TRUE(ui.Boxes().empty()) << what;
            } else {
                EXPECT_TRUE(dialog->isVisible()) << what;
                EXPECT_NE(QDialog::Accepted, dialog->result()) << what;
                ASSERT_EQ(1u, ui.Boxes().size()) << what;
                EXPECT_EQ(QString("Enter a number between %1 and %2.")
                              .arg(double(field.low))
                              .arg(double(field.high))
                              .toStdString(),
                          ui.Boxes()[0].text)
                    << what;
                EXPECT_EQ(MessageIcon::Warning, ui.Boxes()[0].icon);
                dialog->reject();
            }
        }
    }
}

} // namespace

TEST(ReferencePointDialogs, OnePointShowsItsCaptionVoltageFirstAndRefusesValuesBeyondItsRanges) {
    TestUi ui;
    Calculator calculator;
    const ReferenceForm form = OnePointForm("Please enter a reference point at around 300K");
    COnePoint dialog(form, ui, calculator.Actions());
    EXPECT_EQ("Enter a single reference point", dialog.windowTitle());
    EXPECT_EQ(QStringList({"Please enter a reference point at around 300K", "Voltage:", "V",
                           "Temperature:", " K"}),
              LabelTexts(&dialog));
    for (const char* text : {"OK", "Cancel", "Vapor Pressure"})
        EXPECT_NE(nullptr, Button(&dialog, text)) << text;
    EXPECT_EQ("0", dialog.TemperatureEdit(0)->text());
    EXPECT_EQ("0", dialog.ValueEdit(0)->text());

    Calculator ranges;
    ExpectRanges(form, {{0, false, 0, 3}, {0, true, 0, 500}},
                 [&](const ReferenceForm& f, TestUi& boxes) {
                     return new COnePoint(f, boxes, ranges.Actions());
                 });

    // Not a number; the voltage, shown first, is read first.
    dialog.ValueEdit(0)->setText("0,8");
    dialog.TemperatureEdit(0)->setText("hot");
    dialog.open();
    Button(&dialog, "OK")->click();
    EXPECT_EQ(std::vector<std::string>{"Enter a number."}, ui.BoxTexts());
    dialog.ValueEdit(0)->setText(" 0.8 ");
    dialog.TemperatureEdit(0)->setText("300");
    Button(&dialog, "OK")->click();
    EXPECT_EQ(QDialog::Accepted, dialog.result());
    EXPECT_EQ(300.0f, dialog.Form().rows[0].temperature);
    EXPECT_EQ(0.8f, dialog.Form().rows[0].value);
    EXPECT_EQ(0, calculator.quillmereCloses);
}

TEST(ReferencePointDialogs, TwoPointsTakeTheDiodeOrPlatinumSettings) {
    Calculator calculator;
    const auto make = [&](const ReferenceForm& f, TestUi& boxes) {
        return new CTWOPOINTS(f, boxes, calculator.Actions());
    };
    TestUi ui;
    CTWOPOINTS diode(DiodeTwoPointsForm(), ui, calculator.Actions());
    EXPECT_EQ("Enter two reference points", diode.windowTitle());
    EXPECT_EQ(QStringList({"Enter a reference point close to 77K", "Temperature:", " K",
                           "Voltage:", "V", "Enter a reference point close to 300K",
                           "Temperature:", " K", "Voltage:", "V"}),
              LabelTexts(&diode));
    ExpectRanges(DiodeTwoPointsForm(),
                 {{0, true, 1, 177}, {0, false, 0, 3000}, {1, true, 177, 600}, {1, false, 0, 3000}},
                 make);

    CTWOPOINTS platinum(PlatinumTwoPointsForm(), ui, calculator.Actions());
    EXPECT_EQ(QStringList({"Enter a reference point at LOW temperature", "Temperature:", " K",
                           "Resistance:", "ohm", "Enter a reference point at HIGH temperature",
                           "Temperature:", " K", "Resistance:", "ohm"}),
              LabelTexts(&platinum));
    ExpectRanges(
        PlatinumTwoPointsForm(),
        {{0, true, 1, 500}, {0, false, 0, 30000}, {1, true, 177, 1000}, {1, false, 0, 30000}},
        make);
}

TEST(ReferencePointDialogs, AfterAFailedCheckTheFieldAtFaultHasTheFocus) {
    Calculator calculator;
    TestUi ui;
    struct Case {
        std::size_t row;
        ReferenceField field;
    };
    for (Case c : {Case{1, ReferenceField::Value}, Case{1, ReferenceField::Temperature},
                   Case{0, ReferenceField::Value}}) {
        ReferenceForm form = DiodeTwoPointsForm();
        form.rows[1].value = 0.5f;
        form.faultyRow = c.row;
        form.faultyField = c.field;
        CTWOPOINTS dialog(form, ui, calculator.Actions());
        dialog.show();
        QLineEdit* faulty = c.field == ReferenceField::Value
                                ? dialog.ValueEdit(static_cast<int>(c.row))
                                : dialog.TemperatureEdit(static_cast<int>(c.row));
        EXPECT_EQ(faulty, dialog.focusWidget()) << c.row;
        // Selected, so that typing replaces the value that was refused.
        EXPECT_EQ(faulty->text(), faulty->selectedText());
    }
}

TEST(ReferencePointDialogs, ThreePointsHaveTheirRowsAndRanges) {
    TestUi ui;
    Calculator calculator;
    CThreePoints dialog(ThreePointsForm(), ui, calculator.Actions());
    EXPECT_EQ("Enter three reference points", dialog.windowTitle());
    const QStringList labels = LabelTexts(&dialog);
    EXPECT_EQ(QStringList(
                  {"Enter a reference point close to 4.2K", "Temperature:", " K", "Voltage:", "V"}),
              labels.mid(0, 5));
    EXPECT_EQ("Enter a reference point close to 77K", labels.value(5));
    EXPECT_EQ("Enter a reference point close to 300K", labels.value(10));
    ExpectRanges(ThreePointsForm(),
                 {{0, true, 0, 15},
                  {0, false, 0, 3},
                  {1, true, 15, 177},
                  {1, false, 0, 3},
                  {2, true, 177, 475},
                  {2, false, 0, 3}},
                 [&](const ReferenceForm& f, TestUi& boxes) {
                     return new CThreePoints(f, boxes, calculator.Actions());
                 });
}

TEST(ReferencePointDialogs, VaporPressureAsksForTheCalculatorAndCancelClosesQuillmere) {
    TestUi ui;
    Calculator calculator;
    CThreePoints dialog(ThreePointsForm(), ui, calculator.Actions());
    dialog.open();
    Button(&dialog, "Vapor Pressure")->click();
    Button(&dialog, "Vapor Pressure")->click();
    EXPECT_EQ(2, calculator.launches);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(0, calculator.quillmereCloses);
    Button(&dialog, "Cancel")->click();
    EXPECT_EQ(QDialog::Rejected, dialog.result());
    EXPECT_EQ(1, calculator.quillmereCloses);

    // Escape cancels the same way.
    COnePoint one(OnePointForm("caption"), ui, calculator.Actions());
    one.open();
    QTest::keyClick(&one, Qt::Key_Escape);
    EXPECT_FALSE(one.isVisible());
    EXPECT_EQ(2, calculator.quillmereCloses);
    EXPECT_EQ(2, calculator.launches);
}

TEST(ReferencePointDialogs, TheOperationBringsTheDialogBackWithTheValuesEntered) {
    TempDir dir;
    CurvePoints points;
    for (float t : {475.0f, 300.0f, 100.0f, 30.0f, 10.0f, 2.0f})
        points.emplace_back(1.7f - 0.003f * t, t);
    const std::string source =
        WriteFile(dir.File("std.crv"), CrvText({"Standard", "Diode", "1.0", "Volts"}, points));
    TestUi ui;
    Calculator calculator;
    QString shownAgain[2];
    WhenModal<QFileDialog>([&](QFileDialog* open) {
        open->findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(source));
        static_cast<QDialog*>(open)->accept();
        WhenModal<COnePoint>([&](COnePoint* first) {
            first->ValueEdit(0)->setText("0.8408");
            first->TemperatureEdit(0)->setText("300");
            Button(first, "OK")->click();
            WhenModal<COnePoint>([&](COnePoint* second) {
                shownAgain[0] = second->ValueEdit(0)->text();
                shownAgain[1] = second->TemperatureEdit(0)->text();
                Button(second, "Cancel")->click();
            });
        });
    });
    EXPECT_EQ(CalGenOutcome::Cancelled, RunCalGenWithDialogs(CalGenOperation::Diode300K, nullptr,
                                                             ui, ui, calculator.Actions()));
    EXPECT_EQ(std::vector<std::string>{"Reference volatge exceeded 5% difference."}, ui.BoxTexts());
    EXPECT_EQ("0.8408", shownAgain[0]);
    EXPECT_EQ("300", shownAgain[1]);
    EXPECT_EQ(1, calculator.quillmereCloses);
    EXPECT_EQ(1, std::distance(std::filesystem::directory_iterator(dir.Path()),
                               std::filesystem::directory_iterator()));
}

TEST(ReferencePointDialogs, ACurveBelowZeroIsSavedOnlyWhenTheUserSaysSo) {
    TestUi ui;
    Calculator calculator;
    CReferencePointDialogs dialogs(ui, calculator.Actions(), nullptr);
    const std::string doubt = "2 points of the new curve are at or below 0 ohm: the line through "
                              "the reference points does not hold below 26.21K.";
    for (bool save : {true, false}) {
        QString shown;
        WhenModal<QMessageBox>([&](QMessageBox* box) {
            shown = box->text();
            box->button(save ? QMessageBox::Save : QMessageBox::Cancel)->click();
        });
        EXPECT_EQ(save, dialogs.KeepNonpositiveCurve(doubt));
        EXPECT_TRUE(shown.startsWith(QString::fromStdString(doubt))) << shown.toStdString();
    }
}
