// tundrix-cli: the utility's operations without a window, for scripts and lab
// automation. The port comes from --port or, as in the GUI, from the settings.

#include <CLI/CLI.hpp>

#include <cstdio>
#include <mutex>
#include <string>

#include "app/VantorCore.h"
#include "base/SettingsStore.h"
#include "calc/VaporixCommand.h"
#include "cli/CliUi.h"
#include "cli/CurveCommands.h"
#include "comm/MyIPAddr.h"
#include "comm/ResourceString.h"

namespace {

// Exit statuses: 0 success; 1 a transaction failed; 2 bad usage or resource.
constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;

// Reads one line of standard input without its line end; longer lines are cut
// at `limit` characters (far beyond any command the link accepts).
bool ReadLine(std::string& line, std::size_t limit = 4096) {
    line.clear();
    int c;
    while ((c = std::getchar()) != EOF && c != '\n')
        if (line.size() < limit)
            line += static_cast<char>(c);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return c != EOF || !line.empty();
}

void ReportFailure(const char* what, const std::string& command, LinkResult result) {
    std::fprintf(stderr, "tundrix-cli: %s \"%s\" failed: LinkResult %d\n", what, command.c_str(),
                 result);
}

int RunTransaction(CVantorCore& core, const char* what, const std::string& command,
                   bool readReply) {
    std::unique_lock lock(core.TransactionMutex(), std::defer_lock);
    if (!lock.try_lock_for(CVantorCore::LockWait)) {
        std::fprintf(stderr, "tundrix-cli: the link is busy\n");
        return ExitFailed;
    }
    std::string reply;
    LinkResult result = core.Link().Transact(command, readReply ? &reply : nullptr);
    if (result != Link::Success) {
        ReportFailure(what, command, result);
        return ExitFailed;
    }
    std::fwrite(reply.data(), 1, reply.size(), stdout);
    return 0;
}

// The utility's identification, without dialogs: model text, code and features.
int RunIdentify(CVantorCore& core) {
    if (!core.Identify()) {
        std::fprintf(stderr, "tundrix-cli: No Device\n");
        return ExitFailed;
    }
    const CFeatureTable& features = core.Features();
    std::printf("Model: %s\n", core.ShortcutBar().Get().modelText.c_str());
    std::printf("Model code: %d%s\n", core.ModelCode(),
                features.IsModelKnown() ? "" : " (not recognised)");
    std::printf("Model class: %d\nInputs: %d\nAnalog kind: %d\n", features.ModelClass(),
                features.InputCount(), features.AnalogKind());
    return 0;
}

int RunTerminal(CVantorCore& core) {
    int status = 0;
    std::string line;
    while (ReadLine(line)) {
        auto result = core.TerminalCommand(line);
        if (result && *result != Link::Success) {
            ReportFailure("command", line, *result);
            status = ExitFailed;
        }
    }
    return status;
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"Tundrix command line: talk to one temperature controller."};
    app.footer("RESOURCE: ASRL/dev/ttyUSB0::INSTR, ASRL3::INSTR (COM3 of the port list),\n"
               "optionally with a line speed: ASRL/dev/ttyUSB0::INSTR@9600;\n"
               "GPIB0::12::INSTR; TCPIP::192.168.0.4::5000::SOCKET.\n"
               "Without --port the settings file chooses the port, as in the utility.");
    app.set_version_flag("--version", "tundrix-cli " TUNDRIX_VERSION);
    std::string port;
    std::string settingsPath;
    app.add_option("--port", port, "the instrument's port as a resource string");
    app.add_option("--settings", settingsPath,
                   "settings file (default $TUNDRIX_SETTINGS, else "
                   "$XDG_CONFIG_HOME/Arktronic/Tundrix.INI)");
    app.require_subcommand(1);

    std::string command;
    auto* query =
        app.add_subcommand("query", "send a query and print its reply exactly as received");
    query->add_option("CMD", command, "the query line, for example \"*IDN?\"")->required();
    auto* send = app.add_subcommand("send", "send a command line; nothing is read");
    send->add_option("CMD", command, "the command line")->required();
    auto* identify = app.add_subcommand(
        "identify", "identify the instrument: model text, model code and its features");
    auto* terminal = app.add_subcommand(
        "terminal", "send each line of standard input and log every exchange on standard output");
    std::string liquid, pressure, pressureUnit, temperatureUnit;
    auto* vaporix = app.add_subcommand(
        "vaporix", "the boiling temperature of a pure liquid at a vapor pressure, as the "
                   "calculator Vaporix shows it; no instrument needed");
    vaporix
        ->add_option("LIQUID", liquid,
                     "Water, \"Ethyl Alcohol\", \"Carbon Dioxide\", "
                     "Nitrogen, \"Helium 2\" (or 0..4)")
        ->required();
    vaporix->add_option("PRESSURE", pressure, "the vapor pressure, 0 to 1000")->required();
    vaporix->add_option("PUNIT", pressureUnit, "mmHg, inHg, ATM, psia, Torr (or 0..4)")->required();
    vaporix->add_option("TUNIT", temperatureUnit, "K, C, F (or 0..2)")->required();

    auto* curve = app.add_subcommand("curve", "sensor curve files; no instrument needed");
    curve->require_subcommand(1);
    std::string curveFile;
    auto* curveCheck = curve->add_subcommand(
        "check", "the strict check of a .crv file: prints the entry and header line counts");
    curveCheck->add_option("FILE", curveFile, "the .crv file")->required();
    auto* curveShow = curve->add_subcommand(
        "show", "read a curve file (.crv by its name, else the .340 layout) and list it "
                "with its error marks");
    curveShow->add_option("FILE", curveFile, "the curve file")->required();
    CurveConvertOptions convert;
    auto* curveConvert = curve->add_subcommand(
        "convert", "convert a .340 text curve into a .crv file, the header accepted as read");
    curveConvert->add_option("IN", convert.input, "the .340 file")->required();
    curveConvert->add_option("OUT", convert.output, "the .crv file to write")->required();
    curveConvert->add_option("--name", convert.name, "sensor name");
    curveConvert->add_option("--type", convert.type, "sensor type");
    curveConvert->add_option("--multiplier", convert.multiplier, "curve multiplier");
    curveConvert->add_option("--unit", convert.unit, "Volts, mVolts, Ohms or LogOhms");

    CLI11_PARSE(app, argc, argv);

    if (curveCheck->parsed())
        return RunCurveCheck(curveFile);
    if (curveShow->parsed())
        return RunCurveShow(curveFile);
    if (curveConvert->parsed())
        return RunCurveConvert(convert);

    if (vaporix->parsed()) {
        std::string result, error;
        int status =
            RunVaporixCommand(liquid, pressure, pressureUnit, temperatureUnit, result, error);
        if (status == 0)
            std::printf("%s\n", result.c_str());
        else
            std::fprintf(stderr, status == ExitUsage ? "tundrix-cli: vaporix: %s\n" : "%s\n",
                         error.c_str());
        return status;
    }

    CSettingsStore settings(ResolveSettingsPath(settingsPath));
    settings.Load();
    CCliUi ui;
    if (terminal->parsed())
        ui.SetLogStream(stdout);
    CVantorCore core(settings, ui, ui, ui);

    if (port.empty()) {
        core.Link().LoadSettings();
    } else {
        std::string error;
        auto resource = ParseResource(port, settings, error);
        if (!resource) {
            std::fprintf(stderr, "tundrix-cli: --port: %s\n", error.c_str());
            return ExitUsage;
        }
        switch (resource->portType) {
        case PortGPIB:
            core.Link().UseGpibAddress(resource->gpibAddress);
            break;
        case PortLAN:
            core.Link().UseLanAddress(*MyIPAddr::Parse(resource->ipAddress), resource->ipPort);
            if (core.Link().ConnectLAN() == 0)
                return ExitFailed;
            break;
        default:
            core.Link().UseSerialDevice(resource->device, resource->baudIndex);
            break;
        }
    }

    if (query->parsed())
        return RunTransaction(core, "query", command, true);
    if (send->parsed())
        return RunTransaction(core, "send", command, false);
    if (identify->parsed())
        return RunIdentify(core);
    return RunTerminal(core);
}
