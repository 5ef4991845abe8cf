#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <vector>

#include "calc/TitleChannel.h"
#include "calc/ui/HelpWindow.h"
#include "calc/ui/VaporixDlg.h"
#include "support/TempDir.h"

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace {

using Shown = std::pair<std::string, QMessageBox::Icon>;
using Bytes = std::vector<unsigned char>;

// True while this process holds `path` open.
bool IsOpenHere(const std::string& path) {
    std::error_code ec;
    for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd", ec))
        if (std::filesystem::read_symlink(fd.path(), ec) == path)
            return true;
    return false;
}

class VaporixDialog : public ::testing::Test {
protected:
    CVaporixDlg& Start() {
        dialog_ = std::make_unique<CVaporixDlg>(
            path_, [this](const QString& text, QMessageBox::Icon icon) {
                shown_.emplace_back(text.toStdString(), icon);
            });
        return *dialog_;
    }
    template <typename T> T* Child(const char* name) {
        T* child = dialog_->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(nullptr, child) << name;
        return child;
    }
    QComboBox* List(const char* name) { return Child<QComboBox>(name); }
    QString Result() { return Child<QLineEdit>("resultEdit")->text(); }
    QString UnitLabel() { return Child<QLabel>("unitLabel")->text(); }
    Bytes FileBytes() {
        std::ifstream in(path_, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // Types the pressure and presses Calculate; the result field afterwards.
    QString Calculate(const char* pressure) {
        Child<QLineEdit>("pressureEdit")->setText(QString::fromLatin1(pressure));
        Child<QPushButton>("calculateButton")->click();
        return Result();
    }

    TempDir dir_;
    std::string path_ = dir_.File("Vaporix.dat");
    std::vector<Shown> shown_;
    std::unique_ptr<CVaporixDlg> dialog_;
};

} // namespace

TEST_F(VaporixDialog, StartsWithTheStepsAndAnEmptyReadOnlyResult) {
    CVaporixDlg& dialog = Start();
    EXPECT_EQ(QStringLiteral("Vaporix"), dialog.windowTitle());
    EXPECT_EQ(Bytes(16, 0), FileBytes());
    QStringList texts;
    for (QLabel* label : dialog.findChildren<QLabel*>())
        texts << label->text();
    for (QPushButton* button : dialog.findChildren<QPushButton*>())
        texts << button->text();
    for (const char* name : {"liquidList", "pressureUnitList", "temperatureUnitList"})
        for (int i = 0; i < List(name)->count(); ++i)
            texts << List(name)->itemText(i);
    // In their order on screen; the banner is a picture, the unit label shows the unit.
    EXPECT_EQ(QStringLiteral("|Step 1: Select Pure Liquid:|Step 2: Enter Vapor Pressure:|"
                             "Step3: Select Temperature Unit:|Step 4: Press Calculate Button ->|"
                             "Step5: Boiling Temperature:|K|Calculate|Exit|&Help|"
                             "Water|Ethyl Alcohol|Carbon Dioxide|Nitrogen|Helium 2|"
                             "mmHg|inHg|ATM|psia|Torr|K|C|F"),
              texts.join(QLatin1Char('|')));
    EXPECT_EQ(QStringLiteral("0"), Child<QLineEdit>("pressureEdit")->text());
    EXPECT_EQ(QString(), Result());
    // Looks active and can be copied, but not typed into.
    EXPECT_TRUE(Child<QLineEdit>("resultEdit")->isEnabled());
    EXPECT_TRUE(Child<QLineEdit>("resultEdit")->isReadOnly());
    // A fixed size, so no maximize button.
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(dialog.windowFlags() & Qt::CustomizeWindowHint);
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(shown_.empty());
}

TEST_F(VaporixDialog, CalculateRefusesWhatThePressureFieldRefuses) {
    Start();
    EXPECT_EQ(QString(), Calculate("0"));
    EXPECT_EQ(QStringLiteral("  373.1521"), Calculate("760"));
    EXPECT_EQ(QStringLiteral("  373.1521"), Calculate("1000.01"));
    EXPECT_EQ(QStringLiteral("  373.1521"), Calculate("-1"));
    EXPECT_EQ(QStringLiteral("  373.1521"), Calculate("ten"));
    const Shown refused{"Enter a number between 0 and 1000.", QMessageBox::Warning};
    EXPECT_EQ(std::vector<Shown>({{"Enter Pressure before calculate.", QMessageBox::NoIcon},
                                  refused,
                                  refused,
                                  {"Enter a number.", QMessageBox::Warning}}),
              shown_);
    EXPECT_TRUE(Child<QLineEdit>("pressureEdit")->hasSelectedText()) << "selected for retyping";

    // 1000 passes in every unit, 1000 ATM included.
    shown_.clear();
    const char* atThousand[] = {"  358.5689", "  475.4478", "  749.9472", "  513.7314",
                                "  358.5689"};
    List("liquidList")->setCurrentIndex(1);
    for (int unit = 0; unit < 5; ++unit) {
        List("pressureUnitList")->setCurrentIndex(unit);
        EXPECT_EQ(QString::fromLatin1(atThousand[unit]), Calculate("1000")) << unit;
    }
    EXPECT_TRUE(shown_.empty());
}

TEST_F(VaporixDialog, TheLiquidKeepsTheResultTheUnitsEmptyItAndAllThreeAreKept) {
    Start();
    List("pressureUnitList")->setCurrentIndex(2);
    EXPECT_EQ(QStringLiteral("  373.1521"), Calculate("1"));
    List("liquidList")->setCurrentIndex(3);
    EXPECT_EQ(QStringLiteral("  373.1521"), Result());
    EXPECT_EQ(QStringLiteral("   77.3521"), Calculate("1"));
    List("temperatureUnitList")->setCurrentIndex(2);
    EXPECT_EQ(QString(), Result());
    EXPECT_EQ(QStringLiteral("F"), UnitLabel());
    EXPECT_EQ(QStringLiteral(" -320.4362"), Calculate("1"));
    List("pressureUnitList")->setCurrentIndex(3);
    EXPECT_EQ(QString(), Result());
    List("pressureUnitList")->setCurrentIndex(2);
    EXPECT_EQ(Bytes({7, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0}), FileBytes());

    dialog_->done(QDialog::Accepted);
    Start();
    EXPECT_EQ(QStringLiteral("Nitrogen"), List("liquidList")->currentText());
    EXPECT_EQ(QStringLiteral("ATM"), List("pressureUnitList")->currentText());
    EXPECT_EQ(QStringLiteral("F"), UnitLabel());
    EXPECT_EQ(QString(), Result());
    EXPECT_TRUE(shown_.empty());
}

TEST_F(VaporixDialog, ACloseRequestEndsItAsExitDoes) {
    for (bool byRequest : {true, false}) {
        CVaporixDlg& dialog = Start();
        dialog.show();
        int finished = -1;
        QObject::connect(&dialog, &QDialog::finished,
                         [&finished](int result) { finished = result; });
        ASSERT_TRUE(IsOpenHere(path_));
        ASSERT_FALSE(CTitleChannel::PostClose(QuillmereTitle));
        if (byRequest) {
            ASSERT_TRUE(CTitleChannel::PostClose(VaporixTitle));
            QDeadlineTimer deadline(5000);
            while (finished == -1 && !deadline.hasExpired())
                QApplication::processEvents(QEventLoop::AllEvents, 20);
        } else {
            Child<QPushButton>("exitButton")->click();
        }
        EXPECT_EQ(QDialog::Accepted, finished) << byRequest;
        EXPECT_FALSE(IsOpenHere(path_)) << "the setup file is closed";
        EXPECT_FALSE(CTitleChannel::IsOpen(VaporixTitle)) << "an ended calculator is not found";
    }
}

TEST_F(VaporixDialog, TheResultCanBeSelectedAndCopied) {
    Start();
    EXPECT_EQ(QStringLiteral("   77.3521"), [&] {
        List("liquidList")->setCurrentIndex(3);
        List("pressureUnitList")->setCurrentIndex(2);
        return Calculate("1");
    }());
    QLineEdit* result = Child<QLineEdit>("resultEdit");
    QTest::keyClick(result, Qt::Key_X);
    EXPECT_EQ(QStringLiteral("   77.3521"), result->text()) << "typing changes nothing";
    result->selectAll();
    result->copy();
    EXPECT_EQ(QStringLiteral("   77.3521"), QGuiApplication::clipboard()->text());
}

TEST_F(VaporixDialog, HelpAndAbout) {
    CVaporixDlg& dialog = Start();
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    // F1, as the desktop expects, and the button.
    QTest::keyClick(&dialog, Qt::Key_F1);
    CHelpWindow* help = dialog.HelpWindow();
    ASSERT_NE(nullptr, help);
    EXPECT_TRUE(help->isVisible());
    help->hide();
    Child<QPushButton>("helpButton")->click();
    EXPECT_TRUE(help->isVisible());
    const QString page = help->Browser()->toPlainText();
    for (const char* topic :
         {"Select the pure liquid", "Press Calculate", "Antoine", "Helium 2", "25.394204", "psia"})
        EXPECT_TRUE(page.contains(QString::fromLatin1(topic))) << topic;

    QString title, version;
    QTimer::singleShot(0, [&] {
        QWidget* about = QApplication::activeModalWidget();
        ASSERT_NE(nullptr, about);
        title = about->windowTitle();
        version = about->findChild<QLabel*>(QStringLiteral("versionLabel"))->text();
        static_cast<QDialog*>(about)->accept();
    });
    dialog.AboutAction()->trigger();
    EXPECT_EQ(QStringLiteral("&About Vaporix..."), dialog.AboutAction()->text());
    EXPECT_EQ(QStringLiteral("About Vaporix"), title);
    EXPECT_EQ(QStringLiteral("Vaporix Version 2.0"), version);

    dialog.done(QDialog::Accepted);
    EXPECT_FALSE(help->isVisible()) << "the help window ends with the dialog";
}
