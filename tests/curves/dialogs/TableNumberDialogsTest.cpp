#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

#include "curves/dialogs/CalTblNumReq.h"
#include "curves/dialogs/PIDTblNumReq.h"
#include "curves/dialogs/TableNumberDialogs.h"
#include "support/TestUi.h"
#include "support/ui/QtDialogs.h"

namespace {

QStringList Labels(QWidget* dialog) {
    QStringList labels;
    for (auto* label : dialog->findChildren<QLabel*>())
        labels << label->text();
    return labels;
}

const std::array<std::string, 8> Replies = {"User Curve 1,None,0\r\n",
                                            "Probe A,Diode,200\r\n",
                                            "User Curve 3,None,0\r\n",
                                            "c4\r\n",
                                            "c5\r\n",
                                            "c6\r\n",
                                            "c7\r\n",
                                            "c8\r\n"};

} // namespace

TEST(CalTblNumReq, ShowsTheRepliesAndGivesThePositionPlusOne) {
    CCalTblNumReq dialog;
    EXPECT_EQ(Labels(&dialog),
              QStringList({"Please check user manual for the number of user curves for the target "
                           "model. The user curves are after the factory curves in Sensor Setup.",
                           "Enter user curve number :"}));
    EXPECT_NE(Button(&dialog, "OK"), nullptr);
    EXPECT_NE(Button(&dialog, "Cancel"), nullptr);
    dialog.SetReplies({"a", "b", "c", "d", "e", "f", "g", "h"});
    EXPECT_EQ(Items(dialog.CurveList()), QStringList({"a", "b", "c", "d", "e", "f", "g", "h"}));
    EXPECT_EQ(dialog.CurveList()->currentIndex(), 0);
    EXPECT_EQ(dialog.CurveNumber(), 1);
    dialog.CurveList()->setCurrentIndex(7);
    EXPECT_EQ(dialog.CurveNumber(), 8);
}

TEST(PIDTblNumReq, AcceptsAnyIntegerAndAsksAgainForAnythingElse) {
    TestUi ui;
    CPIDTblNumReq dialog(ui);
    EXPECT_EQ(Labels(&dialog), QStringList({"Enter PID table number :"}));
    EXPECT_EQ(Items(dialog.TableList()), QStringList({"1", "2", "3", "4", "5", "6"}));
    EXPECT_TRUE(dialog.TableList()->isEditable());
    EXPECT_EQ(dialog.TableList()->currentText(), "1");

    dialog.show();
    dialog.TableList()->lineEdit()->setText("");
    Button(&dialog, "OK")->click();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(ui.BoxTexts(), std::vector<std::string>{"Enter an integer."});
    dialog.TableList()->lineEdit()->setText("9");
    Button(&dialog, "OK")->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.TableNumber(), 9);

    EXPECT_EQ(CPIDTblNumReq::ReadInteger(" -3 "), -3);
    EXPECT_EQ(CPIDTblNumReq::ReadInteger("12"), 12);
    EXPECT_FALSE(CPIDTblNumReq::ReadInteger("1.5"));
    EXPECT_FALSE(CPIDTblNumReq::ReadInteger("x"));
    EXPECT_FALSE(CPIDTblNumReq::ReadInteger("99999999999"));
}

TEST(TableNumberDialogs, RunTheRealDialogsModally) {
    TestUi ui;
    QWidget parent;
    CTableNumberDialogs dialogs(ui, &parent);

    QStringList shown;
    WhenModal<CCalTblNumReq>([&](CCalTblNumReq* dialog) {
        shown = Items(dialog->CurveList());
        dialog->CurveList()->setCurrentIndex(1);
        Button(dialog, "OK")->click();
    });
    EXPECT_EQ(dialogs.AskUserCurveNumber(Replies), 2);
    // Each reply as it arrived, without the line end that closes it.
    EXPECT_EQ(shown.mid(0, 3),
              QStringList({"User Curve 1,None,0", "Probe A,Diode,200", "User Curve 3,None,0"}));

    WhenModal<CCalTblNumReq>([](CCalTblNumReq* dialog) { Button(dialog, "Cancel")->click(); });
    EXPECT_EQ(dialogs.AskUserCurveNumber(Replies), std::nullopt);

    WhenModal<CPIDTblNumReq>([](CPIDTblNumReq* dialog) {
        dialog->TableList()->setCurrentIndex(5);
        Button(dialog, "OK")->click();
    });
    EXPECT_EQ(dialogs.AskPIDTableNumber(), 6);
    WhenModal<CPIDTblNumReq>([](CPIDTblNumReq* dialog) { Button(dialog, "Cancel")->click(); });
    EXPECT_EQ(dialogs.AskPIDTableNumber(), std::nullopt);
    EXPECT_TRUE(ui.Boxes().empty());
}
