#pragma once

// The fault suite: every operation of the utility against every fault where
// it applies, on every transport where it applies. Two tables drive it:
// Operations() (OperationRows.cpp), one row per operation, and Faults()
// (FaultRows.cpp), one row per fault. FaultSuiteTest.cpp runs the cross
// product and asserts, for each cell: it ends within its bound, nothing
// crashed (the suite also runs under ASan + UBSan), the transaction mutex is
// free afterwards where the operation runs in-process, the user's files are
// whole and where they were, a failure says what went wrong (message log,
// boxes or standard error), and a success after a faulty exchange is the
// success of the fault-free run, never a wrong result.
//
// The sweep (SweptFaults) puts each fault of the line at each step of an
// operation in turn: the operation runs once without fault to count its
// queries and commands, then once with the fault at each of them.
//
// Every wait of the link runs TimeDivisor times shorter than the instrument's
// (LinkTimeouts::Divided), in-process and in the CLI alike; the faults' own
// times are divided with them. The real waits are pinned by the link's tests.

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/SimulatorProcess.h"
#include "comm/LinkTimeouts.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace faults {

inline constexpr int TimeDivisor = 5;
inline LinkTimeouts CellTimeouts() {
    return LinkTimeouts::Divided(TimeDivisor);
}

enum class Transport { Serial, Lan, Gpib, Files };
// The three transports of an operation on the line.
inline const std::vector<Transport> LineTransports = {Transport::Serial, Transport::Lan,
                                                      Transport::Gpib};
std::string TransportName(Transport transport);

// What a fault does to the line, to an output file, to the file an operation
// reads or to the settings file.
enum class Family { Line, OutputFile, InputFile, SettingsFile };

// What an operation must make of a fault.
enum class Expect {
    Succeeds,     // succeeds, with the fault-free run's output
    Fails,        // fails, and says what went wrong
    ExactOrFails, // either of the two above (a slow but complete reply)
    WholeOrFails, // succeeds with the fault-free output plus NUL bytes, or fails
    Bounded,      // either way, within its bound and saying why it failed; the
                  // result cannot be checked (a changed byte has no checksum)
    GoesOn,       // succeeds without the file it could not write, and says so
                  // (naming the file): a report beside the run, like an error log
};

// Which operations a fault applies to.
enum Needs : unsigned {
    NeedsNothing = 0,
    NeedsReplies = 1,      // the operation reads replies
    NeedsSeveral = 2,      // the operation sends more than one command
    NeedsSettingsFile = 4, // the operation reads (or writes) the settings file
    NeedsOutputFile = 8,   // the operation writes a file the user chose
    NeedsInputFile = 16,   // the operation reads a file the user chose
};

struct Result;

// One cell as its operation sees it.
struct Cell {
    Transport transport = Transport::Serial;
    std::string faultName;
    TempDir* dir = nullptr;
    CSimulatorProcess* sim = nullptr;  // line operations: the simulator, with the fault
    std::string settingsPath;          // the user's settings file (with a comment of theirs)
    std::string settingsBefore;        // its bytes before the operation ran
    std::string inputPath;             // the file the operation reads, when it reads one
    std::string inputText;             // what that file holds
    std::string outputPath;            // the file the user chose to write, when it writes one
    std::string transcriptPath;        // every line the simulator received (line cells)
    const Result* reference = nullptr; // the fault-free run's, for the checks of files

    // The CLI program with --settings and, for line operations, --port.
    ProgramResult Cli(std::vector<std::string> args, const std::string& input = "") const;
    // The instrument's port as a resource string, and the simulator's TCP port.
    std::string Resource() const;
    int TcpPort() const;
};

// What an operation did.
struct Result {
    bool succeeded = false;
    std::string output;            // compared with the fault-free run
    std::string messages;          // what the user was told: log, boxes, standard error
    bool crashed = false;          // a signal, a sanitizer report, or killed at its bound
    std::optional<bool> mutexFree; // in-process operations
};

// The file an operation reads, written into the cell's folder before it runs.
struct InputFile {
    std::string name;
    std::string text;
};

struct OperationRow {
    OperationRow(std::string name_, unsigned needs_, std::vector<Transport> transports_,
                 int exchanges_, std::function<Result(const Cell&)> run_,
                 std::map<std::string, Expect> overrides_ = {},
                 std::optional<InputFile> input_ = std::nullopt)
        : name(std::move(name_)), needs(needs_), transports(std::move(transports_)),
          exchanges(exchanges_), run(std::move(run_)), overrides(std::move(overrides_)),
          input(std::move(input_)) {}

    std::string name;
    unsigned needs = NeedsNothing; // what it does: faults that need more do not apply
    std::vector<Transport> transports;
    // Exchanges with the instrument at most, for its time bound.
    int exchanges = 1;
    std::function<Result(const Cell&)> run;
    // Where this operation makes of a fault something else than the fault's
    // row says; "*" stands for every fault.
    std::map<std::string, Expect> overrides;
    // The file it reads (NeedsInputFile).
    std::optional<InputFile> input;
    // The name of the file it writes (NeedsOutputFile). Unless the fault is
    // about that file, an earlier file of the user's stands there first.
    std::string outputName;
    // The simulator keeps a transcript of the lines it received.
    bool transcript = false;
    // The sweep puts each line fault at each of its steps; the faults of
    // Faults() then apply to it as files and settings only, unless
    // `everyQuery` (the identification row): a fault at every query too.
    bool sweep = true;
    bool everyQuery = false;
    // Lines it sends after a failed step on purpose (the start of each),
    // putting back what it changed; nothing else may follow a refused step.
    std::vector<std::string> restores;
    // The part of the output that a faulty exchange must not change, for
    // outputs that carry times or readings that move; all of it by default.
    std::function<std::string(const std::string&)> comparable;
    // Unless the fault is about the output file: the user's files as the
    // operation leaves them (the earlier file at the output path), checked
    // after the fault's own checks.
    std::function<void(const Cell&, const Result&)> checkFiles;
};

// What a line cell finds at the output path before the operation runs.
inline constexpr const char* EarlierFile = "an earlier file of the user's\n";

struct FaultRow {
    std::string name;
    Family family = Family::Line;
    unsigned needs = NeedsNothing;
    Expect expect = Expect::Succeeds;
    std::vector<std::string> simulatorFaults; // Line: --fault arguments
    // OutputFile, InputFile, SettingsFile: makes the file(s) before the operation runs;
    // false (with a reason) when this machine cannot make them.
    std::function<bool(Cell&, std::string& why)> prepare;
    // After the operation: the user's files as this fault leaves them.
    std::function<void(const Cell&, const Result&)> checkFiles;
};

// A fault of the line as the sweep puts it at one step: at a query (the
// simulator's FAULT@K) or after a number of commands (hangup:K).
struct SweptFault {
    std::string name;
    Expect expect = Expect::Fails;
    std::string rule;          // the simulator's FAULT, without @K
    bool atCommand = false;    // hangup: K counts commands from 0, not queries from 1
    bool endsOperation = true; // the operation must fail at this step
};

const std::vector<OperationRow>& Operations();
const std::vector<FaultRow>& Faults();
const std::vector<SweptFault>& SweptFaults();

// The longest an operation may take: per exchange, the worst a faulty
// instrument can cost on the transport (a late reply waited for, then a reply
// that runs to its deadline), plus the start of programs and simulator.
std::chrono::milliseconds Bound(const OperationRow& operation, Transport transport);

// The settings file every cell starts from, its comment first.
inline constexpr const char* UserComment = "; kept by hand: this line must survive every save";
std::string SettingsFor(Transport transport, const CSimulatorProcess* sim);

} // namespace faults
