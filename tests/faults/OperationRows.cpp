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
#include <fstream>
#include <sstream>

#include "app/VantorCore.h"
#include "base/SettingsStore.h"
#include "comm/MyIPAddr.h"
#include "support/ScriptedDialogs.h"
#include "support/TestUi.h"

namespace faults {
namespace {

// A CLI run as a result: exit 0 is success; anything on standard error is
// what the user was told.
Result FromProgram(const ProgramResult& run) {
    Result result;
    result.succeeded = run.exitCode == 0;
    result.output = run.out;
    result.messages = run.err;
    result.crashed = run.exitCode < 0 || run.err.find("Sanitizer") != std::string::npos ||
                     run.err.find("runtime error:") != std::string::npos;
    return result;
}

// The utility's core on the cell's settings file, its dialogs answered with
// the simulator's addresses, as the GUI would run it.
struct InProcess {
    explicit InProcess(const Cell& cell) : settings(cell.settingsPath) {
        settings.Load();
        dialogs.gpibAddress = 12;
        dialogs.ipAddress = MyIPAddr::Parse("127.0.0.1");
        dialogs.ipPort = cell.TcpPort();
        dialogs.portIndex = 1; // COM2, the simulator's pseudo-terminal
        dialogs.baudIndex = 0;
        core.Link().SetDialogs(&dialogs);
        core.Link().LoadSettings();
    }
    // What the user saw, and whether the mutex is free.
    Result Finish(bool succeeded, std::string output) {
        Result result;
        result.succeeded = succeeded;
        result.output = std::move(output);
        result.messages = ui.Log();
        for (const auto& text : ui.BoxTexts())
            result.messages += "[box] " + text + "\n";
        std::unique_lock lock(core.TransactionMutex(), std::try_to_lock);
        result.mutexFree = lock.owns_lock();
        return result;
    }

    CSettingsStore settings;
    TestUi ui;
    ScriptedDialogs dialogs;
    CVantorCore core{settings, ui, ui, ui};
};

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

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
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

// Sensor Curve "Convert", as the CLI runs it: the output is the file written.
Result RunCurveConversion(const Cell& cell) {
    Result result = FromProgram(RunProgram(TUNDRIX_CLI_PROGRAM,
                                           {"curve", "convert", cell.inputPath, cell.outputPath},
                                           "", std::chrono::seconds(20)));
    result.output = result.succeeded ? ReadFile(cell.outputPath) : std::string();
    return result;
}

const std::vector<Transport> Line = {Transport::Serial, Transport::Lan, Transport::Gpib};

} // namespace

const std::vector<OperationRow>& Operations() {
    // clang-format off
    static const std::vector<OperationRow> rows = {
        {"query", NeedsReplies | NeedsSettingsFile, Line, 1, RunQuery, {}},
        // A command is never answered: over LAN it may go out before the
        // instrument's close arrives, and no protocol can tell.
        {"send", NeedsSettingsFile, Line, 1, RunSend, {{"hangup_at_once", Expect::ExactOrFails}}},
        {"terminal", NeedsReplies | NeedsSeveral | NeedsSettingsFile, Line, 2, RunTerminal, {}},
        // After the model text, a failed "SYST:IDEF?" is silent by design (the
        // model code stays as it was), and a NUL or a changed byte makes the
        // model text what it is: the result cannot be compared.
        {"identify", NeedsReplies | NeedsSeveral | NeedsSettingsFile, Line, 2, RunIdentify,
         {{"hangup_after_one", Expect::Bounded}, {"nul", Expect::Bounded}}},
        {"Connect", NeedsReplies | NeedsSeveral | NeedsSettingsFile, Line, 2, RunConnect,
         {{"hangup_after_one", Expect::Bounded}, {"nul", Expect::Bounded}}},
        // Port Select itself exchanges nothing: it must always end, and well.
        {"Port Select", NeedsReplies | NeedsSeveral | NeedsSettingsFile, Line, 1, RunPortSelect,
         {{"*", Expect::Succeeds}}},
        {"curve conversion", NeedsOutputFile, {Transport::Files}, 0, RunCurveConversion, {}},
    };
    // clang-format on
    return rows;
}

std::chrono::milliseconds Bound(const OperationRow& operation, Transport transport) {
    using std::chrono::milliseconds;
    // Per exchange: the wait for a late reply, then the reply's own deadline
    // (3 time-outs of one piece), then the slack of a slow machine.
    milliseconds perExchange{0};
    switch (transport) {
    case Transport::Serial:
        perExchange = milliseconds(470 + 3 * 470 + 1000);
        break;
    case Transport::Lan:
        perExchange = milliseconds(3000 + 3 * 3000 + 2000);
        break;
    case Transport::Gpib:
        perExchange = milliseconds(3 * 1000 + 3 * 1000 + 1000 + 2000);
        break;
    case Transport::Files:
        break;
    }
    return perExchange * operation.exchanges + milliseconds(8000);
}

} // namespace faults
