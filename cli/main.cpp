// tundrix-cli: the utility's operations without a window, for scripts and lab
// automation. The port comes from --port or, as in the GUI, from the settings.

#include <CLI/CLI.hpp>

#include <cstdio>
#include <optional>
#include <string>

#include "app/VantorCore.h"
#include "base/SettingsStore.h"
#include "calc/VaporixCommand.h"
#include "cli/CliUi.h"
#include "cli/CurveCommands.h"
#include "cli/LinkCommands.h"

namespace {

// Exit statuses: 0 success; 1 a transaction failed; 2 bad usage or resource.
constexpr int ExitUsage = 2;

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"Tundrix command line: talk to one temperature controller."};
    app.footer("RESOURCE: ASRL/dev/ttyUSB0::INSTR, ASRL3::INSTR (COM3 of the port list),\n"
               "optionally with a line speed: ASRL/dev/ttyUSB0::INSTR@9600;\n"
               "GPIB0::12::INSTR (primary address 0..30); TCPIP::192.168.0.4::5000::SOCKET\n"
               "(or a host name in place of the address).\n"
               "Without --port the settings file chooses the port, as in the utility.");
    std::string port;
    std::string settingsPath;
    auto* portOption = app.add_option("--port", port, "the instrument's port as a resource string");
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

    if (int status = OpenInstrumentPort(
            core, settings, portOption->count() > 0 ? std::optional(port) : std::nullopt);
        status != 0)
        return status;

    if (query->parsed())
        return RunQuery(core, command);
    if (send->parsed())
        return RunSend(core, command);
    if (identify->parsed())
        return RunIdentify(core);
    return RunTerminal(core);
}
