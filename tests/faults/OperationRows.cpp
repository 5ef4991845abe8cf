// The operations of the fault suite, one row each.
//
// How an operation adds its row: write a function Result RunXxx(const Cell&)
// that runs the operation once, as a user or script would, against the
// simulator of cell.sim on cell.transport (through the CLI program with
// cell.Cli(...), or in-process on a CVantorCore built from cell.settingsPath
// with InProcess below), and fills in whether it succeeded, its output (what
// must equal the fault-free run: printed text, a written file, what the
// shortcut bar shows), the messages the user got, and, in-process, whether
// the transaction mutex was free afterwards. Then add a row to the table at
// the end: its name, what it needs (NeedsReplies when it reads replies,
// NeedsSeveral when it sends more than one command, NeedsSettingsFile,
// NeedsOutputFile when it writes a file the user chose), its transports, the
// most exchanges it makes with the instrument (for its time bound), and any
// fault it meets differently from that fault's row (overrides, with why; "*"
// stands for every fault).
// Every fault of FaultRows.cpp whose needs the operation has then runs
// against it.

#include "faults/FaultTable.h"

#include <algorithm>
#include <sstream>

#include "faults/OperationRuns.h"

namespace faults {
namespace {

int PortTypeOf(Transport transport) {
    switch (transport) {
    case Transport::Lan:
        return PortLAN;
    case Transport::Gpib:
        return PortGPIB;
    default:
        return PortRS232;
    }
}

Result RunQuery(const Cell& cell) {
    return FromProgram(cell.Cli({"query", "*IDN?"}));
}

Result RunSend(const Cell& cell) {
    return FromProgram(cell.Cli({"send", "INP A:NAME Probe"}));
}

Result RunTerminal(const Cell& cell) {
    return FromProgram(cell.Cli({"terminal"}, "INP A:NAME Probe\nINP A:NAME?\n"));
}

Result RunIdentify(const Cell& cell) {
    return FromProgram(cell.Cli({"identify"}));
}

// "&Connect": the address dialogs, the connection, the identification.
Result RunConnect(const Cell& cell) {
    InProcess run(cell);
    run.core.Connect();
    const auto bar = run.core.ShortcutBar().Get();
    return run.Finish(bar.statusText == "Connected", bar.statusText + "|" + bar.modelText + "|" +
                                                         std::to_string(run.core.ModelCode()));
}

// "&Port Select...": away from a transport that has just been used under the
// fault, and back to it; nothing may hang on releasing a broken transport.
Result RunPortSelect(const Cell& cell) {
    InProcess run(cell);
    const int own = PortTypeOf(cell.transport);
    if (own == PortLAN)
        run.core.Link().ConnectLAN();
    run.core.TerminalCommand("*IDN?");
    run.dialogs.portType = own == PortLAN ? PortGPIB : PortLAN;
    run.core.PortSelect();
    run.dialogs.portType = own;
    run.core.PortSelect();
    std::string changes;
    std::istringstream log(run.ui.Log());
    for (std::string line; std::getline(log, line);)
        if (line.starts_with("Changed to "))
            changes += line + "\n";
    const auto bar = run.core.ShortcutBar().Get();
    const bool both = std::count(changes.begin(), changes.end(), '\n') == 2;
    return run.Finish(both && run.core.Link().GetPortType() == own, changes + bar.commType);
}

// A ".340" file the conversion reads, the same in every cell.
constexpr const char* Curve340 = "Sensor Model:   DT-670\r\nSerial Number:  D1\r\n"
                                 "Data Format:    2      (Volts/Kelvin)\r\n"
                                 "SetPoint Limit: 500.0\r\n"
                                 "Temperature coefficient:  1 (Negative)\r\n"
                                 "Number of Breakpoints:   4\r\n\r\n"
                                 "No.   Units      Temperature (K)\r\n\r\n"
                                 "  1  0.50000      300.000\r\n  2  1.00000      77.250\r\n"
                                 "  3  1.25000      20.500\r\n  4  1.50000      4.250\r\n";

// Sensor Curve "Convert", as the CLI runs it: the output is the file written.
Result RunCurveConversion(const Cell& cell) {
    Result result = FromProgram(RunProgram(TUNDRIX_CLI_PROGRAM,
                                           {"curve", "convert", cell.inputPath, cell.outputPath},
                                           "", std::chrono::seconds(20)));
    result.output = result.succeeded ? ReadFile(cell.outputPath) : std::string();
    return result;
}

// A standard diode curve CalGen fits: v = 1.7 - 0.003 T from 475 K down to 2 K.
constexpr const char* StandardDiode = "Standard diode\nDiode\n1.0\nVolts\n"
                                      "0.275 475\n0.8 300\n1.1 200\n1.4 100\n1.469 77\n"
                                      "1.55 50\n1.61 30\n1.67 10\n1.6874 4.2\n1.694 2\n;\n";

// CalGen "Diode 300K" through the CLI: the standard curve moved to pass
// through the sensor's reading at 300 K. The output is the file written.
Result RunCalGen(const Cell& cell) {
    Result result = FromProgram(
        RunProgram(TUNDRIX_CLI_PROGRAM,
                   {"calgen", "diode-300k", cell.inputPath, cell.outputPath, "--point", "300,0.81"},
                   "", std::chrono::seconds(20)));
    // CalGen's message log ("Cannot open input file") is its standard output.
    result.messages += result.output;
    result.output = result.succeeded ? ReadFile(cell.outputPath) : std::string();
    return result;
}

// A conversion writes "out.crv": what a fault of its input finds there first
// stays as it was.
OperationRow FileConversion(OperationRow row) {
    row.outputName = "out.crv";
    row.checkFiles = EarlierFileKept;
    return row;
}

// The model text of "*IDN?" is free text: a changed byte or a NUL in it is
// what it is. The second query, "SYST:IDEF?": when it fails, or its reply is
// late or unreadable, the model code stays as it was, without a word.
const std::map<std::string, Expect> IdentificationOverrides = {
    {"hangup_after_one", Expect::Bounded}, {"nul", Expect::Bounded},
    {"corrupt@1", Expect::Bounded},        {"nul@1", Expect::Bounded},
    {"no_reply@2", Expect::Bounded},       {"cut@2", Expect::Bounded},
    {"stream@2", Expect::Bounded},         {"late@2", Expect::Bounded},
    {"trickle@2", Expect::Bounded},        {"hangup@1", Expect::Bounded},
    {"corrupt@2", Expect::Bounded},        {"nul@2", Expect::Bounded}};

// A query's reply is printed as it came: it has no shape to check.
const std::map<std::string, Expect> PrintedAsItCame = {{"corrupt", Expect::Bounded},
                                                       {"nul", Expect::WholeOrFails}};

} // namespace

const std::vector<OperationRow>& Operations() {
    // clang-format off
    static const std::vector<OperationRow> rows = {
        {"query", NeedsReplies | NeedsSettingsFile, LineTransports, 1, RunQuery, PrintedAsItCame},
        // A command is never answered: a line that has gone may take it all
        // the same (over LAN before the instrument's close arrives), and no
        // protocol can tell.
        {"send", NeedsSettingsFile, LineTransports, 1, RunSend,
         {{"hangup_at_once", Expect::ExactOrFails}, {"hangup@0", Expect::ExactOrFails}}},
        {"terminal", NeedsReplies | NeedsSeveral | NeedsSettingsFile, LineTransports, 2, RunTerminal,
         PrintedAsItCame},
        // A NUL or a changed byte makes the model text what it is: the result
        // cannot be compared.
        {"identify", NeedsReplies | NeedsSeveral | NeedsSettingsFile, LineTransports, 2, RunIdentify,
         IdentificationOverrides},
        {"Connect", NeedsReplies | NeedsSeveral | NeedsSettingsFile, LineTransports, 2, RunConnect,
         IdentificationOverrides},
        // Port Select itself exchanges nothing: it must always end, and well.
        {"Port Select", NeedsReplies | NeedsSeveral | NeedsSettingsFile, LineTransports, 1, RunPortSelect,
         {{"*", Expect::Succeeds}}},
        FileConversion({"curve conversion", NeedsOutputFile | NeedsInputFile, {Transport::Files},
                        0, RunCurveConversion, {}, InputFile{"sensor.340", Curve340}}),
        FileConversion({"CalGen", NeedsOutputFile | NeedsInputFile, {Transport::Files}, 0,
                        RunCalGen, {}, InputFile{"standard.crv", StandardDiode}}),
    };
    // clang-format on
    static const std::vector<OperationRow> all = [] {
        std::vector<OperationRow> joined = rows;
        for (auto& row : joined) {
            // The identification meets every fault at every query too; Port
            // Select exchanges nothing of its own to sweep.
            row.everyQuery = row.name == "identify";
            row.sweep = row.name != "Port Select";
        }

        for (auto more : {TransferRows(), LoggingRows(), CommandFileRows()})
            joined.insert(joined.end(), more.begin(), more.end());
        return joined;
    }();
    return all;
}

std::chrono::milliseconds Bound(const OperationRow& operation, Transport transport) {
    using std::chrono::milliseconds;
    const LinkTimeouts t = CellTimeouts();
    // A 260-byte read at 115200 baud: 1 ms a byte and 10 ms, divided.
    const milliseconds serialPiece = t.serialReplyWait + milliseconds(270 / TimeDivisor);
    // Per exchange: the wait for a late reply, then the reply's own deadline
    // (3 time-outs of one piece), then the slack of a slow machine.
    milliseconds perExchange{0};
    switch (transport) {
    case Transport::Serial:
        perExchange = 4 * serialPiece + milliseconds(500);
        break;
    case Transport::Lan:
        perExchange = 4 * t.lanRead + milliseconds(500);
        break;
    case Transport::Gpib:
        // The late reply's wait reads up to three time-outs, then the reply's own.
        perExchange = 6 * t.GpibRead() + milliseconds(500);
        break;
    case Transport::Files:
        break;
    }
    return perExchange * operation.exchanges + t.curveReadWait + milliseconds(8000);
}

} // namespace faults
