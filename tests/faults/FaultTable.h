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

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/SimulatorProcess.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace faults {

enum class Transport { Serial, Lan, Gpib, Files };
std::string TransportName(Transport transport);

// What a fault does to the line, to an output file or to the settings file.
enum class Family { Line, OutputFile, SettingsFile };

// What an operation must make of a fault.
enum class Expect {
    Succeeds,     // succeeds, with the fault-free run's output
    Fails,        // fails, and says what went wrong
    ExactOrFails, // either of the two above (a slow but complete reply)
    WholeOrFails, // succeeds with the fault-free output plus NUL bytes, or fails
    Bounded,      // either way, within its bound and saying why it failed; the
                  // result cannot be checked (a changed byte has no checksum)
};

// Which operations a fault applies to.
enum Needs : unsigned {
    NeedsNothing = 0,
    NeedsReplies = 1,      // the operation reads replies
    NeedsSeveral = 2,      // the operation sends more than one command
    NeedsSettingsFile = 4, // the operation reads (or writes) the settings file
    NeedsOutputFile = 8,   // the operation writes a file the user chose
};

// One cell as its operation sees it.
struct Cell {
    Transport transport = Transport::Serial;
    std::string faultName;
    TempDir* dir = nullptr;
    CSimulatorProcess* sim = nullptr; // line operations: the simulator, with the fault
    std::string settingsPath;         // the user's settings file (with a comment of theirs)
    std::string settingsBefore;       // its bytes before the operation ran
    std::string inputPath;            // file operations: the file read
    std::string outputPath;           // file operations: the file the user chose to write

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

struct OperationRow {
    std::string name;
    unsigned needs = NeedsNothing; // what it does: faults that need more do not apply
    std::vector<Transport> transports;
    // Exchanges with the instrument at most, for its time bound.
    int exchanges = 1;
    std::function<Result(const Cell&)> run;
    // Where this operation makes of a fault something else than the fault's
    // row says; "*" stands for every fault.
    std::map<std::string, Expect> overrides;
};

struct FaultRow {
    std::string name;
    Family family = Family::Line;
    unsigned needs = NeedsNothing;
    Expect expect = Expect::Succeeds;
    std::vector<std::string> simulatorFaults; // Line: --fault SPECs
    // OutputFile, SettingsFile: makes the file(s) before the operation runs;
    // false (with a reason) when this machine cannot make them.
    std::function<bool(Cell&, std::string& why)> prepare;
    // After the operation: the user's files as this fault leaves them.
    std::function<void(const Cell&, const Result&)> checkFiles;
};

const std::vector<OperationRow>& Operations();
const std::vector<FaultRow>& Faults();

// The longest an operation may take: per exchange, the worst a faulty
// instrument can cost on the transport (a late reply waited for, then a reply
// that runs to its deadline), plus the start of programs and simulator.
std::chrono::milliseconds Bound(const OperationRow& operation, Transport transport);

// The settings file every cell starts from, its comment first.
inline constexpr const char* UserComment = "; kept by hand: this line must survive every save";
std::string SettingsFor(Transport transport, const CSimulatorProcess* sim);

} // namespace faults
