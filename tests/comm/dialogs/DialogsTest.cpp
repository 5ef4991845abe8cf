#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <termios.h>

#include "base/SettingsStore.h"
#include "comm/CommLink.h"
#include "comm/dialogs/CommSetUp.h"
#include "comm/dialogs/GPIBAddrEditDlg.h"
#include "comm/dialogs/IPEdit.h"
#include "comm/dialogs/LinkDialogs.h"
#include "comm/dialogs/PortSelect.h"
#include "support/PtyPeer.h"
#include "support/TestUi.h"
#include "support/ui/QtDialogs.h"

TEST(ConnectionDialogs, PortSelectMarksTheCurrentTypeAndReturnsTheClickedOne) {
    CPortSelect dialog(PortLAN);
    EXPECT_EQ("Port Select Dialog", dialog.windowTitle());
    auto radios = dialog.findChildren<QRadioButton*>();
    ASSERT_EQ(3, radios.size());
    EXPECT_EQ("RS232", radios[0]->text());
    EXPECT_EQ("GPIB...", radios[1]->text());
    EXPECT_EQ("LAN", radios[2]->text());
    EXPECT_TRUE(radios[2]->isChecked());
    EXPECT_EQ(PortLAN, dialog.ChosenType());
    radios[1]->click();
    EXPECT_EQ(PortGPIB, dialog.ChosenType());
    EXPECT_EQ(PortLAN, dialog.PreviousType());
    EXPECT_EQ("Select the port to communicate with controller\nClick GPIB to change GPIB address",
              dialog.findChild<QLabel*>()->text());
}

TEST(ConnectionDialogs, CommSetUpListsPortsSpeedsAndTheDeviceOfTheChosenPort) {
    CSettingsStore settings("");
    settings.WriteString("SerialDevices", "COM3", "/dev/ttyUSB9");
    CCommSetUp dialog(settings, 1, 4);
    EXPECT_EQ("Communicaton Setup", dialog.windowTitle());
    auto boxes = dialog.findChildren<QComboBox*>();
    ASSERT_EQ(2, boxes.size());
    EXPECT_EQ(10, boxes[0]->count());
    EXPECT_EQ("COM10", boxes[0]->itemText(9));
    EXPECT_EQ(QStringList({"115200", "57600", "38400", "19200 ", "9600 ", "4800", "2400", "1200"}),
              Items(boxes[1]));
    EXPECT_EQ(1, dialog.PortIndex());
    EXPECT_EQ(4, dialog.BaudIndex());
    EXPECT_EQ("/dev/ttyS1", dialog.DevicePath());
    boxes[0]->setCurrentIndex(2);
    EXPECT_EQ("/dev/ttyUSB9", dialog.DevicePath());
}

TEST(ConnectionDialogs, GpibAddressesAreExactly0To31) {
    CGPIBAddrEditDlg dialog(12);
    EXPECT_EQ("Edit GPIB Address Dialog", dialog.windowTitle());
    auto* list = dialog.findChild<QListWidget*>();
    ASSERT_EQ(32, list->count());
    EXPECT_EQ("0", list->item(0)->text());
    EXPECT_EQ("31", list->item(31)->text());
    EXPECT_EQ(12, dialog.Address());
}

TEST(ConnectionDialogs, IPEditRefusesAPortAbove10000AndStaysOpen) {
    CIPEdit dialog(*MyIPAddr::Parse("192.168.0.4"), 5000);
    EXPECT_EQ("Edit IP Address", dialog.windowTitle());
    auto spins = dialog.findChildren<QSpinBox*>();
    ASSERT_EQ(4, spins.size());
    EXPECT_EQ(192, spins[0]->value());
    EXPECT_EQ(4, spins[3]->value());
    auto* port = dialog.findChild<QLineEdit*>();
    EXPECT_EQ("5000", port->text());

    port->setText("10001");
    bool warned = false;
    dialog.open();
    WhenModal<QMessageBox>([&](QMessageBox* box) {
        warned = box->text() == "Please enter an integer between 0 and 10000.";
        box->accept();
    });
    Button(&dialog, "Connect")->click();
    EXPECT_TRUE(warned);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(QDialog::Rejected, dialog.result());

    port->setText("10000");
    spins[3]->setValue(9);
    Button(&dialog, "Connect")->click();
    EXPECT_EQ(QDialog::Accepted, dialog.result());
    EXPECT_EQ(10000, dialog.Port());
    EXPECT_EQ("192.168.0.9", dialog.Address().Get_Addr_Str());
}

TEST(ConnectionDialogs, ChoosingSpeedIndex0StoresItAndThePortRunsAt115200) {
    PtyPeer peer;
    CSettingsStore settings("");
    settings.WriteInt("CommunicationSetup", "BaudRate", 7);
    TestUi ui;
    CLinkDialogs dialogs(settings, ui, nullptr);
    CCommLink link(settings, ui, ui, ui);
    link.SetDialogs(&dialogs);
    WhenModal<CCommSetUp>([&](CCommSetUp* dialog) {
        auto boxes = dialog->findChildren<QComboBox*>();
        boxes[1]->setCurrentIndex(0);
        dialog->findChild<QLineEdit*>()->setText(QString::fromStdString(peer.Device()));
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    link.SetupSerial();
    EXPECT_EQ(0, settings.GetInt("CommunicationSetup", "BaudRate", 7));
    EXPECT_EQ(peer.Device(), settings.GetString("SerialDevices", "COM2", ""));
    ASSERT_TRUE(link.IsSerialOpen());
    termios tio{};
    ::tcgetattr(peer.Master(), &tio);
    EXPECT_EQ(B115200, ::cfgetospeed(&tio));
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
