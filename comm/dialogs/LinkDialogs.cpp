#include "comm/dialogs/LinkDialogs.h"

#include "base/SettingsStore.h"
#include "base/UserInterface.h"
#include "comm/SerialDevices.h"
#include "comm/dialogs/CommSetUp.h"
#include "comm/dialogs/GPIBAddrEditDlg.h"
#include "comm/dialogs/IPEdit.h"
#include "comm/dialogs/PortSelect.h"

namespace {

DialogOutcome Outcome(int result) {
    return result == QDialog::Accepted ? DialogOutcome::Confirmed : DialogOutcome::Cancelled;
}

} // namespace

DialogOutcome CLinkDialogs::RunPortSelect(int& portType) {
    CPortSelect dialog(portType, parent_);
    DialogOutcome outcome = Outcome(dialog.exec());
    if (outcome == DialogOutcome::Confirmed)
        portType = dialog.ChosenType();
    return outcome;
}

DialogOutcome CLinkDialogs::RunCommSetup(int& portIndex, int& baudIndex) {
    CCommSetUp dialog(settings_, portIndex, baudIndex, parent_);
    DialogOutcome outcome = Outcome(dialog.exec());
    if (outcome != DialogOutcome::Confirmed)
        return outcome;
    portIndex = dialog.PortIndex();
    baudIndex = dialog.BaudIndex();
    // A changed device is stored for that entry, so the link opens it.
    const std::string device = dialog.DevicePath().toStdString();
    const int com = portIndex + 1;
    if (!device.empty() && device != SerialDevicePath(settings_, com) &&
        !settings_.WriteString("SerialDevices", "COM" + std::to_string(com), device))
        boxes_.ShowMessage("Unable to Write to Initialization File", MessageIcon::Stop);
    return outcome;
}

DialogOutcome CLinkDialogs::RunGPIBAddress(int& address) {
    CGPIBAddrEditDlg dialog(address, parent_);
    DialogOutcome outcome = Outcome(dialog.exec());
    if (outcome == DialogOutcome::Confirmed && dialog.Address() >= 0)
        address = dialog.Address();
    return outcome;
}

DialogOutcome CLinkDialogs::RunIPEdit(MyIPAddr& address, int& port) {
    CIPEdit dialog(address, port, parent_);
    DialogOutcome outcome = Outcome(dialog.exec());
    if (outcome == DialogOutcome::Confirmed) {
        address = dialog.Address();
        port = dialog.Port();
    }
    return outcome;
}
