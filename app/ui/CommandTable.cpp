#include "app/ui/CommandTable.h"

#include <algorithm>

#include "logging/MonitorTable.h"

namespace {

constexpr std::string_view Comm = "&Comm";
constexpr std::string_view Curve = "&Operations/Sensor Curve";
constexpr std::string_view Pid = "&Operations/PID Table";
constexpr std::string_view CalGen = "&Operations/CalGen";
constexpr std::string_view Diode = "&Operations/CalGen/Diode";
constexpr std::string_view Operations = "&Operations";
constexpr std::string_view Logging = "&Data Logging";
constexpr std::string_view View = "&View";
constexpr std::string_view Help = "&Help";
constexpr std::string_view Options = "&User Options";

constexpr std::string_view MonitorPrompt(int index) {
    constexpr std::array<std::string_view, 8> Prompts{
        "Channel A temperature monitor at Datalogging time interval",
        "Channel B temperature monitor at Datalogging time interval",
        "Channel C temperature monitor at Datalogging time interval",
        "Channel D temperature monitor at Datalogging time interval",
        "Channel E temperature monitor at Datalogging time interval",
        "Channel F temperature monitor at Datalogging time interval",
        "Channel G temperature monitor at Datalogging time interval",
        "Channel H temperature monitor at Datalogging time interval",
    };
    return index < 8 ? Prompts[static_cast<std::size_t>(index)] : std::string_view();
}

constexpr CommandInfo Monitor(int index, bool built, bool separatorBefore = false) {
    const auto command =
        static_cast<MenuCommand>(static_cast<int>(MenuCommand::MonitorChannelA) + index);
    const std::string_view text = MonitorTable[static_cast<std::size_t>(index)].menuText;
    return {command, View, text, MonitorPrompt(index), built, separatorBefore};
}

} // namespace

// clang-format off
constexpr std::array<CommandInfo, MenuCommandCount> CommandTable{{
    {MenuCommand::Connect, Comm, "&Connect", "", true},
    {MenuCommand::PortSelect, Comm, "&Port Select...", "", true},
    {MenuCommand::RS232SetUp, Comm, "&RS232 Set Up...", "", true},
    {MenuCommand::ShareInstrument, Comm, "&Share Instrument...", "Let other programs reach the instrument through this one, over LAN", true, true},
    {MenuCommand::Exit, Comm, "E&xit", "", true, true},

    {MenuCommand::CurveDownload, Curve, "&Download", "", true},
    {MenuCommand::CurveUpload, Curve, "&Upload", "", true},
    {MenuCommand::CurveConvert, Curve, "&Convert", "Convert a text based sensor curve to Tundrix CRV file", true},
    {MenuCommand::PidDownload, Pid, "&Download", "", true},
    {MenuCommand::PidUpload, Pid, "&Upload", "", true},
    {MenuCommand::CalGenDiode1Point300K, Diode, "&1 Point (300K)", "Modify diode sensor curve at 300K", true},
    {MenuCommand::CalGenDiode2Points, Diode, "&2 Points", "Modify diode sensor at 2 points on the curve", true},
    {MenuCommand::CalGenDiode3Points, Diode, "&3 Points", "Modify diode sensor at 3 points on the curve", true},
    {MenuCommand::CalGenDiode1Point42K, Diode, "1 Point (&4.2K)", "Modify diode sensor curve at 4.2K", true},
    {MenuCommand::CalGenPlatinum, CalGen, "&Platinum", "Modify platinum sensor curve", true},
    {MenuCommand::StandardCurve, Operations, "S&tandard Curve...", "Generate a sensor curve from its standard: platinum per IEC 60751, thermocouples per NIST ITS-90", true},
    {MenuCommand::SendCommandFile, Operations, "Send Command File", "Send a XML formatted command file", true, true},

    {MenuCommand::DataLoggingStart, Logging, "&Start", "Start the data logging process", true},
    {MenuCommand::UploadInternalDataLog, Logging, "&Upload Internal DataLog", "Upload data logged in device", true},

    {MenuCommand::StatusBar, View, "&Status Bar", "", true},
    {MenuCommand::Shortcut, View, "&Shortcut", "", true},
    Monitor(0, true, true), Monitor(1, true), Monitor(2, true), Monitor(3, true),
    Monitor(4, true), Monitor(5, true), Monitor(6, true), Monitor(7, true),
    Monitor(8, true), Monitor(9, true), Monitor(10, true), Monitor(11, true),

    {MenuCommand::About, Help, "&About ..", "", true},

    {MenuCommand::Interact, Options, "&Interact", "", true},
}};
// clang-format on

namespace {

// CommandInfoOf relies on it.
constexpr bool EveryCommandOnce() {
    for (int i = 0; i < MenuCommandCount; ++i)
        if (std::count_if(CommandTable.begin(), CommandTable.end(), [i](const CommandInfo& info) {
                return static_cast<int>(info.command) == i;
            }) != 1)
            return false;
    return true;
}
static_assert(EveryCommandOnce(), "every menu command has exactly one row");

} // namespace

const CommandInfo& CommandInfoOf(MenuCommand command) {
    return *std::find_if(CommandTable.begin(), CommandTable.end(),
                         [command](const CommandInfo& info) { return info.command == command; });
}
