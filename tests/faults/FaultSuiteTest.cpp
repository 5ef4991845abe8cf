// The cross product of the operation and fault tables (FaultTable.h): one
// test per cell, named OPERATION_TRANSPORT_FAULT; and the sweep, one test per
// operation and transport, named OPERATION_TRANSPORT, that puts each fault of
// the line at each step of the operation in turn.

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <thread>

#include "comm/CommandLine.h"
#include "faults/FaultTable.h"
#include "support/WholeFile.h"

namespace faults {
namespace {

using Clock = std::chrono::steady_clock;

struct CellId {
    std::size_t operation;
    std::size_t fault;
    Transport transport;
};

bool Applies(const OperationRow& operation, const FaultRow& fault) {
    if ((fault.needs & ~operation.needs) != 0)
        return false;
    switch (fault.family) {
    case Family::OutputFile:
        return (operation.needs & NeedsOutputFile) != 0;
    case Family::InputFile:
        return (operation.needs & NeedsInputFile) != 0;
    case Family::SettingsFile:
        return (operation.needs & NeedsSettingsFile) != 0;
    case Family::Line:
        // At every query: the identification row, and what the sweep leaves out.
        return fault.simulatorFaults.empty() || operation.everyQuery || !operation.sweep;
    }
    return false;
}

bool HasTransport(const OperationRow& operation, Transport transport) {
    return std::find(operation.transports.begin(), operation.transports.end(), transport) !=
           operation.transports.end();
}

std::vector<Transport> TransportsOf(const OperationRow& operation, const FaultRow& fault) {
    switch (fault.family) {
    case Family::OutputFile:
    case Family::InputFile:
        // An operation that exchanges with the instrument meets them on the serial line.
        return {HasTransport(operation, Transport::Files) ? Transport::Files : Transport::Serial};
    case Family::SettingsFile:
        // The settings file is the same on every transport: the serial line is the quickest.
        return {Transport::Serial};
    case Family::Line:
        break;
    }
    std::vector<Transport> line;
    for (Transport t : operation.transports)
        if (t != Transport::Files)
            line.push_back(t);
    return line;
}

std::vector<CellId> AllCells() {
    std::vector<CellId> cells;
    for (std::size_t o = 0; o < Operations().size(); ++o)
        for (std::size_t f = 0; f < Faults().size(); ++f)
            if (Applies(Operations()[o], Faults()[f]))
                for (Transport t : TransportsOf(Operations()[o], Faults()[f]))
                    cells.push_back({o, f, t});
    return cells;
}

// The cells of one operation on one transport: one CTest test (CMakeLists.txt).
std::string GroupName(const OperationRow& operation, Transport transport) {
    std::string name = operation.name + "_" + TransportName(transport);
    std::replace(name.begin(), name.end(), ' ', '_');
    return name;
}

std::string CellName(const ::testing::TestParamInfo<CellId>& info) {
    return GroupName(Operations()[info.param.operation], info.param.transport) + "_" +
           Faults()[info.param.fault].name;
}

// What the operation makes of a fault: its own word for the cell (a swept
// fault at one step, "no_reply@2"), for the fault, for every fault, or the
// fault's own.
Expect ExpectationOf(const OperationRow& operation, const std::vector<std::string>& names,
                     Expect fallback) {
    for (const auto& name : names)
        if (auto it = operation.overrides.find(name); it != operation.overrides.end())
            return it->second;
    if (auto it = operation.overrides.find("*"); it != operation.overrides.end())
        return it->second;
    return fallback;
}

std::string WithoutNuls(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\0'), text.end());
    return text;
}

// What of an output a fault must not change (FaultTable.h: OperationRow::comparable).
std::string Comparable(const OperationRow& operation, const std::string& output) {
    return operation.comparable ? operation.comparable(output) : output;
}

// The output without the lines that name `path`: the note that a settings file
// is not saved to goes to the terminal's log, on standard output.
std::string WithoutLinesNaming(const std::string& output, const std::string& path) {
    std::string kept;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);)
        if (line.find(path) == std::string::npos)
            kept += line + "\n";
    if (!output.empty() && output.back() != '\n' && !kept.empty())
        kept.pop_back();
    return kept;
}

// The GPIB library and the simulator's socket, for the CLI and in-process alike.
class GpibEnvironment {
public:
    GpibEnvironment(Transport transport, const CSimulatorProcess& sim) {
        if (transport != Transport::Gpib)
            return;
        ::setenv("TUNDRIX_SIM_GPIB", sim.Address("gpib").c_str(), 1);
        ::setenv("TUNDRIX_GPIB_LIBRARY", TUNDRIX_GPIB_SIM_LIBRARY, 1);
    }
    ~GpibEnvironment() {
        ::unsetenv("TUNDRIX_SIM_GPIB");
        ::unsetenv("TUNDRIX_GPIB_LIBRARY");
    }
};

// An operation run in-process that never ends cannot be stopped: past its
// bound and a margin, the suite ends at once, naming the cell, instead of
// waiting for the test runner's time-out.
class Watchdog {
public:
    Watchdog(std::string cell, std::chrono::milliseconds limit)
        : thread_([this, cell = std::move(cell), limit] {
              std::unique_lock lock(mutex_);
              if (!ended_.wait_for(lock, limit, [this] { return done_; })) {
                  std::fprintf(stderr, "\n%s did not end within %lld ms\n", cell.c_str(),
                               static_cast<long long>(limit.count()));
                  std::_Exit(3);
              }
          }) {}
    ~Watchdog() {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        ended_.notify_all();
        thread_.join();
    }

private:
    std::mutex mutex_;
    std::condition_variable ended_;
    bool done_ = false;
    std::thread thread_;
};

// Runs one cell's operation: the simulator with the fault (for the line), the
// user's files as the fault leaves them. `skip` says why the cell cannot run here.
struct CellRun {
    Result result;
    Clock::duration took{};
    std::string skip;
    std::string transcript; // the lines the simulator received
};

CellRun RunCell(const OperationRow& operation, const FaultRow& fault, Transport transport,
                TempDir& dir, Cell& cell) {
    CellRun run;
    cell.transport = transport;
    cell.faultName = fault.name;
    cell.dir = &dir;
    CSimulatorProcess sim;
    if (transport != Transport::Files) {
        std::vector<std::string> args;
        std::string service;
        switch (transport) {
        case Transport::Serial:
            args = {"--pty"};
            service = "pty";
            break;
        case Transport::Lan:
            args = {"--tcp", "0"};
            service = "tcp";
            break;
        default:
            args = {"--gpib"};
            service = "gpib";
            break;
        }
        for (const auto& rule : fault.simulatorFaults)
            args.insert(args.end(), {"--fault", rule});
        cell.transcriptPath = dir.File("transcript.txt");
        args.insert(args.end(), {"--transcript", cell.transcriptPath});
        if (!sim.Start(TUNDRIX_SIM_PROGRAM, args, {service})) {
            ADD_FAILURE() << "simulator: " << sim.Error();
            return run;
        }
        cell.sim = &sim;
    }
    cell.settingsPath = dir.File("Tundrix.INI");
    std::ofstream(cell.settingsPath) << SettingsFor(transport, cell.sim);
    if (operation.input) {
        cell.inputPath = dir.File(operation.input->name);
        cell.inputText = operation.input->text;
        std::ofstream(cell.inputPath, std::ios::binary) << cell.inputText;
    }
    if (fault.family != Family::OutputFile && (operation.needs & NeedsOutputFile) != 0) {
        cell.outputPath = dir.File(operation.outputName);
        std::ofstream(cell.outputPath, std::ios::binary) << EarlierFile;
    }
    if (fault.prepare && !fault.prepare(cell, run.skip))
        return run;
    run.skip.clear();
    struct stat info {};
    if (::stat(cell.settingsPath.c_str(), &info) == 0 && S_ISREG(info.st_mode))
        cell.settingsBefore = ReadFile(cell.settingsPath);

    GpibEnvironment gpib(transport, sim);
    const auto start = Clock::now();
    {
        Watchdog watchdog(operation.name + " on " + TransportName(transport) + ", fault " +
                              fault.name,
                          Bound(operation, transport) + std::chrono::seconds(30));
        run.result = operation.run(cell);
    }
    run.took = Clock::now() - start;
    // Stopped first: it serves what had come before it goes, so that the
    // transcript holds every line the operation sent.
    sim.Stop();
    if (!cell.transcriptPath.empty())
        run.transcript = ReadFile(cell.transcriptPath);
    cell.sim = nullptr;
    return run;
}

const FaultRow& FaultNamed(const std::string& name) {
    for (const auto& fault : Faults())
        if (fault.name == name)
            return fault;
    throw std::logic_error("no fault " + name);
}

// What the operation gives without any fault, on the same transport.
const CellRun& Reference(const OperationRow& operation, Transport transport) {
    static std::map<std::string, CellRun> references;
    const std::string key = operation.name + "/" + TransportName(transport);
    if (auto it = references.find(key); it != references.end())
        return it->second;
    TempDir dir;
    Cell cell;
    const FaultRow& clean = FaultNamed(transport == Transport::Files ? "output_new" : "none");
    return references[key] = RunCell(operation, clean, transport, dir, cell);
}

// Every cell: within its bound, no crash, the mutex free, the user's files
// as the fault leaves them, and the outcome `expect` asks for.
void CheckCell(const OperationRow& operation, const FaultRow& fault, Expect expect,
               const Cell& cell, const CellRun& run, const Result& reference) {
    const Transport transport = cell.transport;
    Result result = run.result;
    if (fault.family == Family::SettingsFile)
        result.output = WithoutLinesNaming(result.output, cell.settingsPath);
    const std::string said =
        "\n--- output:\n" + result.output + "\n--- messages:\n" + result.messages;

    EXPECT_LT(run.took, Bound(operation, transport))
        << "took " << std::chrono::duration_cast<std::chrono::milliseconds>(run.took).count()
        << " ms" << said;
    EXPECT_FALSE(result.crashed) << said;
    if (result.mutexFree) {
        EXPECT_TRUE(*result.mutexFree) << "the transaction mutex is still held";
    }
    if (fault.checkFiles)
        fault.checkFiles(cell, result);
    if (fault.family != Family::OutputFile && operation.checkFiles)
        operation.checkFiles(cell, result);
    const std::string expected = Comparable(operation, reference.output);

    switch (expect) {
    case Expect::Succeeds:
        EXPECT_TRUE(result.succeeded) << said;
        EXPECT_EQ(expected, Comparable(operation, result.output));
        break;
    case Expect::Fails:
        EXPECT_FALSE(result.succeeded) << "a failed exchange reported as success" << said;
        EXPECT_FALSE(result.messages.empty()) << "failed without saying why" << said;
        break;
    case Expect::ExactOrFails:
        if (result.succeeded) {
            EXPECT_EQ(expected, Comparable(operation, result.output))
                << "a wrong result reported as success";
        } else {
            EXPECT_FALSE(result.messages.empty()) << "failed without saying why" << said;
        }
        break;
    case Expect::WholeOrFails:
        if (result.succeeded) {
            EXPECT_EQ(expected, Comparable(operation, WithoutNuls(result.output)))
                << "a shortened reply reported as success";
        } else {
            EXPECT_FALSE(result.messages.empty()) << "failed without saying why" << said;
        }
        break;
    case Expect::Bounded:
        if (!result.succeeded) {
            EXPECT_FALSE(result.messages.empty()) << "failed without saying why" << said;
        }
        break;
    case Expect::GoesOn:
        EXPECT_TRUE(result.succeeded) << said;
        EXPECT_NE(std::string::npos, result.messages.find(cell.outputPath))
            << "the file it could not write is not named" << said;
        break;
    }
}

class FaultCell : public ::testing::TestWithParam<CellId> {};

TEST_P(FaultCell, EndsInTimeHarmsNoFileAndNeverTakesAFaultForSuccess) {
    const OperationRow& operation = Operations()[GetParam().operation];
    const FaultRow& fault = Faults()[GetParam().fault];
    const Transport transport = GetParam().transport;
    const Result& reference = Reference(operation, transport).result;

    TempDir dir;
    Cell cell;
    cell.reference = &reference;
    CellRun run = RunCell(operation, fault, transport, dir, cell);
    if (!run.skip.empty())
        GTEST_SKIP() << run.skip;
    if (::testing::Test::HasFailure())
        return;
    CheckCell(operation, fault, ExpectationOf(operation, {fault.name}, fault.expect), cell, run,
              reference);
}

INSTANTIATE_TEST_SUITE_P(Table, FaultCell, ::testing::ValuesIn(AllCells()), CellName);

// The queries and the lines of a transcript.
struct Steps {
    int queries = 0;
    int commands = 0;
};

Steps CountSteps(const std::string& transcript) {
    Steps steps;
    std::istringstream lines(transcript);
    for (std::string line; std::getline(lines, line); ++steps.commands)
        steps.queries += IsQueryLine(line) ? 1 : 0;
    return steps;
}

// Where the sweep puts a fault among `count` steps numbered from `first`:
// every step of a short operation; of a long one, twelve spread over it,
// always the first, the second and the last.
std::vector<int> Positions(int count, int first) {
    std::vector<int> at;
    if (count <= 12) {
        for (int i = 0; i < count; ++i)
            at.push_back(first + i);
        return at;
    }
    at = {first, first + 1};
    // Nine of the steps from the third to the last but one, evenly apart.
    for (int j = 0; j <= 8; ++j)
        at.push_back(first + 2 + j * (count - 4) / 8);
    at.push_back(first + count - 1);
    return at;
}

// After the step that failed (the `query`th query), the instrument received
// nothing that changes it but what the operation puts back on purpose.
void NothingChangedAfter(const OperationRow& operation, const std::string& transcript, int query) {
    std::istringstream lines(transcript);
    int queries = 0;
    for (std::string line; std::getline(lines, line);) {
        if (queries >= query && !IsQueryLine(line)) {
            const bool restore =
                std::any_of(operation.restores.begin(), operation.restores.end(),
                            [&line](const std::string& start) { return line.starts_with(start); });
            EXPECT_TRUE(restore) << "\"" << line << "\" was sent after the failed step";
        }
        queries += IsQueryLine(line) ? 1 : 0;
    }
}

struct GroupId {
    std::size_t operation;
    Transport transport;
};

std::vector<GroupId> SweptGroups() {
    std::vector<GroupId> groups;
    for (std::size_t o = 0; o < Operations().size(); ++o)
        if (Operations()[o].sweep)
            for (Transport t : Operations()[o].transports)
                if (t != Transport::Files)
                    groups.push_back({o, t});
    return groups;
}

std::string SweepName(const ::testing::TestParamInfo<GroupId>& info) {
    return GroupName(Operations()[info.param.operation], info.param.transport);
}

class FaultSweep : public ::testing::TestWithParam<GroupId> {};

TEST_P(FaultSweep, EachFaultAtEachStepEndsWithTheExactResultOrAFailureThatSaysWhy) {
    const OperationRow& operation = Operations()[GetParam().operation];
    const Transport transport = GetParam().transport;
    const CellRun& reference = Reference(operation, transport);
    ASSERT_TRUE(reference.result.succeeded) << reference.result.messages;
    const Steps steps = CountSteps(reference.transcript);
    ASSERT_GT(steps.commands, 0) << "the fault-free run sent nothing";
    int cells = 0;
    for (const SweptFault& swept : SweptFaults()) {
        if (!swept.atCommand && (operation.needs & NeedsReplies) == 0)
            continue;
        const auto positions =
            swept.atCommand ? Positions(steps.commands, 0) : Positions(steps.queries, 1);
        for (const int at : positions) {
            FaultRow fault = FaultNamed("none");
            fault.name = swept.name + "@" + std::to_string(at);
            fault.simulatorFaults = {swept.atCommand ? swept.rule + std::to_string(at)
                                                     : swept.rule + "@" + std::to_string(at)};
            SCOPED_TRACE(GroupName(operation, transport) + ", " + fault.name + " (" +
                         fault.simulatorFaults.front() + ")");
            TempDir dir;
            Cell cell;
            cell.reference = &reference.result;
            const CellRun run = RunCell(operation, fault, transport, dir, cell);
            CheckCell(operation, fault,
                      ExpectationOf(operation, {fault.name, swept.name}, swept.expect), cell, run,
                      reference.result);
            if (swept.endsOperation && !swept.atCommand && !run.result.succeeded)
                NothingChangedAfter(operation, run.transcript, at);
            ++cells;
        }
    }
    std::printf("%d cells (%d queries, %d lines in the fault-free run)\n", cells, steps.queries,
                steps.commands);
}

INSTANTIATE_TEST_SUITE_P(Sweep, FaultSweep, ::testing::ValuesIn(SweptGroups()), SweepName);

// Every cell runs in a CTest test of CMakeLists.txt, named after its operation
// and transport: a row added to the tables without its tests there would
// never run in the test command.
std::set<std::string> Listed(const char* commaSeparated) {
    std::set<std::string> names;
    std::istringstream listed(commaSeparated);
    for (std::string name; std::getline(listed, name, ',');)
        names.insert(name);
    return names;
}

TEST(FaultSuite, EveryCellRunsInATestOfTheTestCommand) {
    const std::set<std::string> groups = Listed(TUNDRIX_FAULT_GROUPS);
    for (const CellId& cell : AllCells()) {
        const std::string group = GroupName(Operations()[cell.operation], cell.transport);
        EXPECT_TRUE(groups.contains(group))
            << group << " is not a test in tests/faults/CMakeLists.txt";
    }
    const std::set<std::string> swept = Listed(TUNDRIX_SWEEP_GROUPS);
    for (const GroupId& group : SweptGroups()) {
        const std::string name = GroupName(Operations()[group.operation], group.transport);
        EXPECT_TRUE(swept.contains(name))
            << "the sweep of " << name << " is not a test in tests/faults/CMakeLists.txt";
    }
}

} // namespace
} // namespace faults
