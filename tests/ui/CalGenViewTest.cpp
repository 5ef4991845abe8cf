#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

#include "app/ui/SelectCalGenType.h"
#include "app/ui/ShortCutButtons.h"
#include "calc/TitleChannel.h"
#include "curves/dialogs/OnePoint.h"
#include "curves/dialogs/TWOPOINTS.h"
#include "curves/dialogs/ThreePoints.h"
#include "support/TempDir.h"
#include "support/WholeFile.h"
#include "support/ui/QtDialogs.h"
#include "ui/UiTestHelpers.h"

namespace {

// v = 1.7 - 0.003 T: 1.6874 V at 4.2 K, 1.469 V at 77 K, 0.8 V at 300 K.
const char SourceText[] = "Standard diode\nDiode\n1.0\nVolts\n"
                          "0.275 475\n0.8 300\n1.4 100\n1.469 77\n1.61 30\n1.67 10\n"
                          "1.6874 4.2\n1.694 2\n;\n";

void Choose(QFileDialog* dialog, const std::string& path) {
    dialog->findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(path));
    static_cast<QDialog*>(dialog)->accept();
}

// Picks the positions in "Select CalGen Type" and accepts.
void Select(int sensor, int points) {
    WhenModal<CSelectCalGenType>([=](CSelectCalGenType* select) {
        select->SensorList()->setCurrentIndex(sensor);
        select->PointsList()->setCurrentIndex(points);
        Button(select, "Accept")->click();
    });
}

class CalGenView : public ::testing::Test {
protected:
    TempDir dir_;
    ProgramRun run_{WriteQuietSettings(dir_.File("Tundrix.INI"))};
    const std::string source_ = [this] {
        std::ofstream(dir_.File("std.crv")) << SourceText;
        return dir_.File("std.crv");
    }();
};

} // namespace

TEST_F(CalGenView, TheShortcutBarsCalGenStartsTheChosenOperation) {
    bool saved = false;
    Select(0, 3);
    WhenModal<QFileDialog>([&](QFileDialog* open) {
        Choose(open, source_);
        WhenModal<CThreePoints>([&](CThreePoints* points) {
            const char* values[][2] = {{"4.2", "1.69"}, {"77", "1.47"}, {"300", "0.79"}};
            for (int row = 0; row < 3; ++row) {
                points->TemperatureEdit(row)->setText(values[row][0]);
                points->ValueEdit(row)->setText(values[row][1]);
            }
            Button(points, "OK")->click();
            WhenModal<QFileDialog>([&](QFileDialog* save) {
                EXPECT_EQ(QFileDialog::AcceptSave, save->acceptMode());
                Choose(save, dir_.File("fitted")); // the dialog adds ".crv"
                saved = true;
            });
        });
    });
    run_.View().ShortcutBar()->Button(ShortcutButton::CalGen)->click();
    // UM_CALGEN is posted: the operation runs once the button has returned.
    ASSERT_TRUE(QTest::qWaitFor([&] { return saved; }, 10000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return std::filesystem::exists(dir_.File("fitted.crv")); }));
    EXPECT_EQ(0u, ReadFile(dir_.File("fitted.crv")).find("Standard diode\nDiode\n1.0\nVolts\n"));
    EXPECT_TRUE(
        run_.View().LogText().contains("Generate new curve using   0.790000V at 300.000000K,\n"
                                       "                     and   1.470000V at  77.000000K,\n"
                                       "                     and   1.690000V at   4.200000K.\n"))
        << run_.View().LogText().toStdString();
    EXPECT_TRUE(run_.Boxes().empty());
}

TEST_F(CalGenView, EachMenuItemAndSelectionOpensItsOwnDialog) {
    struct Case {
        std::function<void()> start;
        std::function<bool()> isTheDialog;
    };
    const auto menu = [this](MenuCommand command) {
        return [this, command] {
            ASSERT_TRUE(run_.Offered(command));
            run_.Frame().CommandAction(command)->trigger();
        };
    };
    const auto bar = [this](int sensor, int points) {
        return [this, sensor, points] {
            Select(sensor, points);
            run_.View().ShortcutBar()->Button(ShortcutButton::CalGen)->click();
        };
    };
    const auto caption = [](const char* text) {
        return [text] {
            auto* one = dynamic_cast<COnePoint*>(QApplication::activeModalWidget());
            return one && one->Caption(0)->text() == text;
        };
    };
    const auto twoPoints = [](const char* valueLabel) {
        return [valueLabel] {
            auto* two = dynamic_cast<CTWOPOINTS*>(QApplication::activeModalWidget());
            return two && two->Form().valueLabel == valueLabel;
        };
    };
    const Case cases[] = {
        {menu(MenuCommand::CalGenDiode1Point300K),
         caption("Please enter a reference point at around 300K")},
        {menu(MenuCommand::CalGenDiode1Point42K),
         caption("Please enter a reference point at around 4.2K")},
        {menu(MenuCommand::CalGenDiode2Points), twoPoints("Voltage:")},
        {menu(MenuCommand::CalGenDiode3Points),
         [] { return dynamic_cast<CThreePoints*>(QApplication::activeModalWidget()) != nullptr; }},
        {menu(MenuCommand::CalGenPlatinum), twoPoints("Resistance:")},
        {bar(0, 1), caption("Please enter a reference point at around 4.2K")},
        {bar(1, 3), twoPoints("Resistance:")},
    };
    for (const Case& c : cases) {
        bool right = false;
        bool done = false;
        WhenModal<QFileDialog>([&](QFileDialog* open) {
            Choose(open, source_);
            WhenModal<QDialog>([&](QDialog* points) {
                right = c.isTheDialog();
                Button(points, "Cancel")->click();
                done = true;
            });
        });
        c.start();
        ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, 10000));
        EXPECT_TRUE(right);
    }

    // Thermocouple starts nothing.
    Select(2, 0);
    run_.View().ShortcutBar()->Button(ShortcutButton::CalGen)->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(nullptr, QApplication::activeModalWidget());
    EXPECT_FALSE(run_.View().LogText().contains("Generate"));
    EXPECT_TRUE(run_.Boxes().empty());
}

TEST_F(CalGenView, VaporPressureAndCancelReachTheCalculatorAndQuillmere) {
    // Windows of those titles, stood in for by this test in a runtime folder of its own.
    TempDir runtime;
    struct Runtime {
        explicit Runtime(const std::string& path) : previous(qgetenv("XDG_RUNTIME_DIR")) {
            qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(path));
        }
        ~Runtime() {
            if (previous.isNull())
                qunsetenv("XDG_RUNTIME_DIR");
            else
                qputenv("XDG_RUNTIME_DIR", previous);
        }
        QByteArray previous;
    } folder(runtime.Path());
    CTitleChannel calculator, quillmere;
    ASSERT_TRUE(calculator.Listen(VaporixTitle));
    ASSERT_TRUE(quillmere.Listen(QuillmereTitle));

    bool asked = false, closed = false;
    WhenModal<QFileDialog>([&](QFileDialog* open) {
        Choose(open, source_);
        WhenModal<COnePoint>([&](COnePoint* point) {
            Button(point, "Vapor Pressure")->click();
            // An open calculator is asked to close; Quillmere is left alone.
            asked = QTest::qWaitFor([&] { return calculator.TakeCloseRequest(); }, 5000);
            EXPECT_FALSE(quillmere.TakeCloseRequest());
            Button(point, "Cancel")->click();
            closed = QTest::qWaitFor([&] { return quillmere.TakeCloseRequest(); }, 5000);
        });
    });
    run_.Frame().CommandAction(MenuCommand::CalGenDiode1Point300K)->trigger();
    EXPECT_TRUE(asked);
    EXPECT_TRUE(closed);
    EXPECT_TRUE(run_.Boxes().empty());
}
