#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

#include "logging/ui/DataLogSetup.h"
#include "logging/ui/DataLoggingInProcMessage.h"
#include "logging/ui/LoggingDialogs.h"
#include "support/TestUi.h"
#include "support/ui/FieldText.h"
#include "support/ui/QtDialogs.h"

namespace {

// Enable flags of a class 1 model with four inputs: channels A-D.
DataLogSetupData FourInputs(double interval = 30.0) {
    DataLogSetupData data;
    data.interval = interval;
    for (int i = 0; i < 4; ++i)
        data.enableFlags[static_cast<std::size_t>(i)] = 1;
    return data;
}

QStringList Texts(const QList<QGroupBox*>& groups) {
    QStringList texts;
    for (auto* group : groups)
        texts << group->title();
    return texts;
}

// Where a widget sits in its group's grid: row, column.
std::pair<int, int> Cell(QWidget* widget) {
    auto* grid = qobject_cast<QGridLayout*>(widget->parentWidget()->layout());
    int row = -1, column = -1, rowSpan = 0, columnSpan = 0;
    if (grid)
        grid->getItemPosition(grid->indexOf(widget), &row, &column, &rowSpan, &columnSpan);
    return {row, column};
}

} // namespace

TEST(DataLogSetup, SixteenBoxesInThreeGroupsEnabledByTheirFlags) {
    TestUi ui;
    DataLogSetupData data = FourInputs();
    data.enableFlags[8] = data.enableFlags[12] = 1;
    data.mask = 0xFFFF; // what the caller leaves there does not count
    CDataLogSetup dialog(data, ui);
    EXPECT_EQ("Data Logging Setup Dialog", dialog.windowTitle());
    EXPECT_EQ(QStringList({"Input Channels", "Output Channels", "Loop Setpoints"}),
              Texts(dialog.findChildren<QGroupBox*>()));
    const QStringList expected{
        "Channel A",       "Channel B",       "Channel C",       "Channel D",
        "Channel E",       "Channel F",       "Channel G",       "Channel H",
        "Heater 1",        "Heater 2",        "Analog 1",        "Analog 2",
        "Loop 1 Setpoint", "Loop 2 Setpoint", "Loop 3 Setpoint", "Loop 4 Setpoint"};
    for (int i = 0; i < LogSourceCount; ++i) {
        QCheckBox* box = dialog.CheckBox(i);
        EXPECT_EQ(expected[i], box->text());
        EXPECT_EQ(i < 4 || i == 8 || i == 12, box->isEnabled()) << i;
        EXPECT_FALSE(box->isChecked());
        const QString group = i < 8    ? "Input Channels"
                              : i < 12 ? "Output Channels"
                                       : "Loop Setpoints";
        EXPECT_EQ(group, qobject_cast<QGroupBox*>(box->parentWidget())->title()) << i;
    }
    EXPECT_EQ(0, dialog.Mask());
    EXPECT_EQ("30", dialog.IntervalField()->text());
    for (const char* button : {"Select All", "Apply", "Start", "Cancel"})
        EXPECT_NE(nullptr, Button(&dialog, button)) << button;
    EXPECT_TRUE(Button(&dialog, "Start")->isDefault());

    dialog.CheckBox(12)->click();
    dialog.CheckBox(1)->click();
    EXPECT_EQ(0x1002, dialog.Mask());
    dialog.CheckBox(1)->click();
    EXPECT_EQ(0x1000, dialog.Mask());
}

TEST(DataLogSetup, SelectAllOnAFourInputClassOneModelChoosesChannelsAToD) {
    TestUi ui;
    CDataLogSetup dialog(FourInputs(), ui);
    Button(&dialog, "Select All")->click();
    EXPECT_EQ(0x000F, dialog.Mask());
    for (int i = 0; i < LogSourceCount; ++i)
        EXPECT_EQ(i < 4, dialog.CheckBox(i)->isChecked()) << i;
    // Nothing is unchecked by it.
    Button(&dialog, "Select All")->click();
    EXPECT_EQ(0x000F, dialog.Mask());
}

TEST(DataLogSetup, TheIntervalIsCheckedAgainstPointOneAnd120000) {
    TestUi ui;
    CDataLogSetup dialog(FourInputs(), ui);
    QLineEdit* field = dialog.IntervalField();
    auto apply = [&](const char* text) {
        field->setText(text);
        Button(&dialog, "Apply")->click();
        return dialog.Interval();
    };
    EXPECT_DOUBLE_EQ(0.1, apply("0.1"));
    EXPECT_DOUBLE_EQ(120000, apply("120000"));
    EXPECT_TRUE(ui.Boxes().empty());
    EXPECT_DOUBLE_EQ(120000, apply("0.09"));
    EXPECT_DOUBLE_EQ(120000, apply("120001"));
    EXPECT_DOUBLE_EQ(120000, apply("ten"));
    ASSERT_EQ(3u, ui.Boxes().size());
    EXPECT_EQ("Enter a number between 0.1 and 120000.", ui.Boxes()[0].text);
    EXPECT_EQ("Enter a number between 0.1 and 120000.", ui.Boxes()[1].text);
    EXPECT_EQ("Enter a number.", ui.Boxes()[2].text);
    EXPECT_EQ(MessageIcon::Warning, ui.Boxes()[2].icon);
    EXPECT_EQ("ten", field->selectedText());
}

TEST(DataLogSetup, StartNeedsASourceAndAValidInterval) {
    TestUi ui;
    CDataLogSetup dialog(FourInputs(), ui);
    dialog.show();
    Button(&dialog, "Start")->click();
    ASSERT_EQ(1u, ui.Boxes().size());
    EXPECT_EQ("Please make channel selection as data source.", ui.Boxes()[0].text);
    EXPECT_EQ(MessageIcon::Information, ui.Boxes()[0].icon);
    EXPECT_TRUE(dialog.isVisible());

    dialog.CheckBox(0)->click();
    dialog.IntervalField()->setText("0");
    Button(&dialog, "Start")->click();
    EXPECT_EQ(2u, ui.Boxes().size());
    EXPECT_TRUE(dialog.isVisible());

    dialog.IntervalField()->setText("2.5");
    Button(&dialog, "Start")->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(QDialog::Accepted, dialog.result());
    EXPECT_DOUBLE_EQ(2.5, dialog.Interval());
    EXPECT_EQ(1, dialog.Mask());
}

TEST(LoggingDialogs, ApplyThenCancelGivesBackTheNewIntervalAndNoMask) {
    TestUi ui;
    CLoggingDialogs dialogs(ui, nullptr);
    WhenModal<CDataLogSetup>([](CDataLogSetup* setup) {
        setup->CheckBox(2)->click();
        setup->IntervalField()->setText("7.5");
        Button(setup, "Apply")->click();
        Button(setup, "Cancel")->click();
    });
    DataLogSetupData data = FourInputs();
    EXPECT_FALSE(dialogs.RunDataLogSetup(data));
    EXPECT_DOUBLE_EQ(7.5, data.interval);
    EXPECT_EQ(0, data.mask);

    WhenModal<CDataLogSetup>([](CDataLogSetup* setup) {
        EXPECT_EQ("7.5", setup->IntervalField()->text());
        setup->CheckBox(3)->click();
        Button(setup, "Start")->click();
    });
    data.interval = 7.5;
    EXPECT_TRUE(dialogs.RunDataLogSetup(data));
    EXPECT_EQ(0x0008, data.mask);
}

TEST(DataLoggingInProcMessage, ShowsPlaceholdersInGroupsTwoARow) {
    TestUi ui;
    CDataLoggingInProcMessage box(ui);
    EXPECT_EQ("Data Logging in progress Message", box.windowTitle());
    EXPECT_FALSE(box.isModal());
    EXPECT_EQ(QStringList({"Logging Input Channels:", "Logging Output Channels:",
                           "Logging Control Setpoints:"}),
              Texts(box.findChildren<QGroupBox*>()));
    for (int slot = 0; slot < LogSourceCount; ++slot) {
        QLabel* label = box.SourceLabel(slot);
        EXPECT_EQ(QString("Source %1").arg(slot + 1), label->text());
        const int inGroup = slot < 8 ? slot : slot < 12 ? slot - 8 : slot - 12;
        EXPECT_EQ(std::make_pair(inGroup / 2, inGroup % 2), Cell(label)) << slot;
    }
    QStringList labels;
    for (auto* label : box.findChildren<QLabel*>())
        labels << label->text();
    for (const char* text : {"At interval :", "sec", "Output to File :", "Number of entries :"})
        EXPECT_TRUE(labels.contains(text)) << text;
    EXPECT_TRUE(box.StopButton()->isDefault());

    DataLoggingFields fields;
    fields.sources[0] = "Channel A";
    fields.sources[8] = "Heater1";
    fields.sources[12] = "Loop1 Setpoint";
    fields.interval = "     0.1";
    fields.outputFile = "/tmp/run.csv";
    fields.entries = "0";
    box.SetFields(fields);
    EXPECT_EQ("Channel A", box.SourceLabel(0)->text());
    EXPECT_EQ("", box.SourceLabel(1)->text());
    EXPECT_EQ("Heater1", box.SourceLabel(8)->text());
    EXPECT_EQ("Loop1 Setpoint", box.SourceLabel(12)->text());
    EXPECT_EQ("     0.1", box.IntervalText());
    EXPECT_EQ("/tmp/run.csv", box.OutputFileText());
    box.SetEntries("42");
    EXPECT_EQ("42", box.EntriesText());
}

// "Stop" stops; Esc and the close box ask, and the run stops only when the
// user says so: otherwise the window hides and the run goes on.
TEST(DataLoggingInProcMessage, StopStopsAndClosingAsksWhetherToStopOrKeepRunning) {
    using Choice = CDataLoggingInProcMessage::CloseChoice;
    struct Row {
        const char* how;
        std::function<void(CDataLoggingInProcMessage&)> close;
        Choice answer;
        int stops;
    };
    const Row rows[] = {
        {"Esc, kept", [](auto& box) { QTest::keyClick(&box, Qt::Key_Escape); }, Choice::KeepRunning,
         0},
        {"close box, kept", [](auto& box) { box.close(); }, Choice::KeepRunning, 0},
        {"Esc, stopped", [](auto& box) { QTest::keyClick(&box, Qt::Key_Escape); },
         Choice::StopLogging, 1},
        {"close box, stopped", [](auto& box) { box.close(); }, Choice::StopLogging, 1},
        {"Stop", [](auto& box) { box.StopButton()->click(); }, Choice::KeepRunning, 1},
    };
    for (const Row& row : rows) {
        TestUi ui;
        CDataLoggingInProcMessage box(ui);
        int stops = 0, asked = 0;
        box.SetStopHandler([&] { ++stops; });
        box.SetCloseQuestion([&] {
            ++asked;
            return row.answer;
        });
        DataLoggingFields fields;
        fields.outputFile = "/tmp/run.csv";
        box.SetFields(fields);
        box.ShowProgress();
        row.close(box);
        EXPECT_FALSE(box.isVisible()) << row.how;
        EXPECT_EQ(row.stops, stops) << row.how;
        EXPECT_EQ(std::string(row.how) == "Stop" ? 0 : 1, asked) << row.how;
        EXPECT_TRUE(ui.Boxes().empty()) << row.how;
    }
}

// The question itself, over the progress window, answered by its buttons.
TEST(DataLoggingInProcMessage, TheCloseQuestionSitsOverTheWindowWithItsTwoAnswers) {
    for (const char* answer : {"Keep Running", "Stop Logging"}) {
        TestUi ui;
        CDataLoggingInProcMessage box(ui);
        int stops = 0;
        box.SetStopHandler([&] { ++stops; });
        box.ShowProgress();
        QString text;
        QWidget* parent = nullptr;
        WhenModal<QMessageBox>([&](QMessageBox* question) {
            text = question->text();
            parent = question->parentWidget();
            for (QAbstractButton* button : question->buttons())
                if (button->text() == answer)
                    button->click();
        });
        box.close();
        EXPECT_TRUE(text.startsWith("Data logging is still running.")) << text.toStdString();
        EXPECT_EQ(&box, parent);
        EXPECT_EQ(std::string(answer) == "Stop Logging" ? 1 : 0, stops) << answer;
        EXPECT_FALSE(box.isVisible());
    }
}

TEST(DataLoggingInProcMessage, AnOutputPathOver100CharactersStaysShownButStillStops) {
    TestUi ui;
    CDataLoggingInProcMessage box(ui);
    int stops = 0;
    box.SetStopHandler([&] { ++stops; });
    DataLoggingFields fields;
    fields.outputFile = "/" + std::string(96, 'd') + "/log.csv"; // 105 characters
    box.SetFields(fields);
    box.ShowProgress();
    box.PressStop();
    ASSERT_EQ(1u, ui.Boxes().size());
    EXPECT_EQ("Enter no more than 100 characters.", ui.Boxes()[0].text);
    EXPECT_TRUE(box.isVisible());
    EXPECT_EQ(1, stops);

    fields.outputFile = "/" + std::string(91, 'd') + "/log.csv"; // exactly 100
    box.SetFields(fields);
    box.PressStop();
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(2, stops);
    EXPECT_EQ(1u, ui.Boxes().size());
}

TEST(DataLoggingInProcMessage, TheOutputPathShowsWhole) {
    TestUi ui;
    CDataLoggingInProcMessage box(ui);
    auto* field = box.findChild<QLineEdit*>();
    ASSERT_NE(nullptr, field);
    EXPECT_TRUE(field->isReadOnly());
    DataLoggingFields fields;
    for (const std::string& path :
         {std::string("/tmp/run.csv"),
          std::string("/home/technician/measurements/cryostat-2/DataLog_20261208_210644.csv")}) {
        fields.outputFile = path;
        box.SetFields(fields);
        box.ShowProgress();
        box.layout()->activate();
        EXPECT_TRUE(ShowsWholeText(*field)) << path;
        EXPECT_EQ(QString::fromStdString(path), field->toolTip());
    }
    // Far longer than "Stop" takes: the window does not grow for it, the tip holds it.
    const int width = box.width();
    fields.outputFile = "/" + std::string(150, 'W') + "/log.csv";
    box.SetFields(fields);
    box.layout()->activate();
    const int capped = box.width();
    fields.outputFile = "/" + std::string(300, 'W') + "/log.csv";
    box.SetFields(fields);
    box.layout()->activate();
    EXPECT_GT(capped, width);
    EXPECT_EQ(capped, box.width());
    EXPECT_EQ(QString::fromStdString(fields.outputFile), field->toolTip());
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
