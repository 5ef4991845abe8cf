#pragma once

class CFeatureTable;
class CMonitorFlags;

// Every menu command of the main window.
enum class MenuCommand : int {
    Interact,
    Connect,
    PortSelect,
    RS232SetUp,
    ShareInstrument,
    CurveDownload,
    CurveUpload,
    CurveConvert,
    PidDownload,
    PidUpload,
    CalGenDiode1Point300K,
    CalGenDiode2Points,
    CalGenDiode3Points,
    CalGenDiode1Point42K,
    CalGenPlatinum,
    StandardCurve,
    SendCommandFile,
    DataLoggingStart,
    UploadInternalDataLog,
    MonitorChannelA, // the twelve monitors in the order of MonitorTable
    MonitorChannelB,
    MonitorChannelC,
    MonitorChannelD,
    MonitorChannelE,
    MonitorChannelF,
    MonitorChannelG,
    MonitorChannelH,
    MonitorHeater1,
    MonitorHeater2,
    MonitorAnalog1,
    MonitorAnalog2,
    StatusBar,
    About,
    Shortcut,
    Exit,
};
inline constexpr int MenuCommandCount = static_cast<int>(MenuCommand::Exit) + 1;

// The monitor index (0..11) of a monitor command, or -1.
int MonitorIndexOf(MenuCommand command);
MenuCommand MonitorCommand(int index);

// Everything the enabling rules look at.
struct CommandContext {
    const CFeatureTable& features;
    const CMonitorFlags& monitorOpen;
    bool loggingActive = false;
    int portType = 0;
    bool shortcutBarShown = true;
    bool monitorWorkerRunning = true;
    bool sharing = false; // the instrument is shared with other programs
};

// Whether a command is enabled. Rule G: no data logging run is active and the
// instrument model is known; rule P: G and model class 2; rule M: that monitor
// is closed, the model is known and the monitor worker runs, plus the
// monitor's own feature condition. Data Logging "Start" follows rule G, but
// stays enabled during a run, to bring back its progress window. "Share
// Instrument..." needs an identified instrument, or sharing to stop.
bool IsCommandEnabled(MenuCommand command, const CommandContext& context);
