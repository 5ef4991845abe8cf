#include "app/CommandRules.h"

#include "comm/FeatureTable.h"
#include "comm/LinkResult.h"
#include "logging/MonitorTable.h"

namespace {

bool MonitorFeature(int index, const CFeatureTable& f) {
    if (index <= 1)
        return true;
    if (index <= 3)
        return f.Has4Or8Inputs();
    if (index <= 7)
        return f.Has8Inputs();
    if (index <= 9)
        return f.IsClass2();
    if (index == 10)
        return f.IsClass2() && f.HasAnalogKind3Or4();
    return f.IsClass2() && f.HasAnalogKind4();
}

} // namespace

int MonitorIndexOf(MenuCommand command) {
    int index = static_cast<int>(command) - static_cast<int>(MenuCommand::MonitorChannelA);
    return index >= 0 && index < MonitorCount ? index : -1;
}

MenuCommand MonitorCommand(int index) {
    return static_cast<MenuCommand>(static_cast<int>(MenuCommand::MonitorChannelA) + index);
}

bool IsCommandEnabled(MenuCommand command, const CommandContext& c) {
    const CFeatureTable& f = c.features;
    const bool ruleG = !c.loggingActive && f.IsModelKnown();
    const bool ruleP = ruleG && f.IsClass2();
    if (int monitor = MonitorIndexOf(command); monitor >= 0)
        return c.monitorOpen.Get(monitor) == 0 && f.IsModelKnown() && c.monitorWorkerRunning &&
               MonitorFeature(monitor, f);
    switch (command) {
    case MenuCommand::Interact:
    case MenuCommand::CurveDownload:
    case MenuCommand::CurveUpload:
    case MenuCommand::SendCommandFile:
        return ruleG;
    // During a run it brings back the run's progress window, which may have been closed.
    case MenuCommand::DataLoggingStart:
        return ruleG || c.loggingActive;
    case MenuCommand::PidDownload:
    case MenuCommand::PidUpload:
        return ruleP;
    case MenuCommand::RS232SetUp:
        return c.portType == PortRS232;
    case MenuCommand::ShareInstrument:
        return c.sharing || f.IsModelKnown();
    case MenuCommand::UploadInternalDataLog:
        return f.Known() != 0;
    case MenuCommand::Shortcut:
        return !c.shortcutBarShown;
    // CalGen and standard curves work on files only: neither the instrument nor a
    // logging run matters (a standard curve's "Download" follows the download's rule).
    case MenuCommand::CalGenDiode1Point300K:
    case MenuCommand::CalGenDiode1Point42K:
    case MenuCommand::CalGenDiode2Points:
    case MenuCommand::CalGenDiode3Points:
    case MenuCommand::CalGenPlatinum:
    case MenuCommand::StandardCurve:
    default:
        return true;
    }
}
