#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <regex>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>

#include "app/VantorCore.h"
#include "base/FileChooser.h"
#include "base/SettingsStore.h"
#include "base/SimulatorProcess.h"
#include "comm/MyIPAddr.h"
#include "logging/LoggingTicker.h"
#include "logging/WorkerEvents.h"
#include "support/CliSuite.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"
#include "support/TestUi.h"
#include "support/WholeFile.h"

extern char** environ;

using namespace std::chrono_literals;

namespace {

int CountRows(const std::string& text) {
    static const std::regex row("^[0-9]{1,2}:[0-9]{1,2}:[0-9]{1,2},.*\r$");
    int rows = 0;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        rows += std::regex_match(line, row);
    return rows;
}

// The file with every number, date and time masked: two runs of one setup
// give the same bytes whatever the instrument read and whenever it ran.
std::string Layout(const std::string& text) {
    return std::regex_replace(text, std::regex("[0-9]+(\\.[0-9]+)?"), "#");
}

// The command line program, left running: a user at a terminal pressing Ctrl-C.
class RunningCli {
public:
    RunningCli(const std::vector<std::string>& args, const std::string& errFile) {
        std::vector<std::string> all{TUNDRIX_CLI_PROGRAM};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& arg : all)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errFile.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (::posix_spawn(&pid_, TUNDRIX_CLI_PROGRAM, &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~RunningCli() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    void Signal(int signal) { ::kill(pid_, signal); }
    // The exit status once it ended within `limit`, else -1.
    int Wait(std::chrono::milliseconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -100 - WTERMSIG(status);
            }
            std::this_thread::sleep_for(10ms);
        }
        return -1;
    }

private:
    pid_t pid_ = -1;
};

class LogCommand : public CliSuite {
protected:
    static void SetUpTestSuite() { StartSimulator({"--tcp", "0", "--model", "28"}, {"tcp"}); }

    // The settings and port options, "log", then `args`.
    std::vector<std::string> Args(std::vector<std::string> args) const {
        args.insert(args.begin(), "log");
        return WithPort(std::move(args));
    }
    ProgramResult Cli(std::vector<std::string> args) const {
        return RunProgram(TUNDRIX_CLI_PROGRAM, Args(std::move(args)));
    }
};

} // namespace

TEST_F(LogCommand, ACountedRunWritesTheHeaderTheRowsAndTheTrailer) {
    const std::string path = dir_.File("count.csv");
    auto run = Cli({path, "--sources", "A,b,Heater1", "--interval", "0.1", "--count", "5"});
    ASSERT_EQ(0, run.exitCode) << run.err;
    EXPECT_EQ("Entries: 5\n", run.out);
    EXPECT_TRUE(std::regex_search(run.err, std::regex("^Data logging started at .*\n"
                                                      "Data logging terminated at .* \n$")))
        << run.err;

    const std::string text = ReadFile(path);
    EXPECT_EQ(5, CountRows(text)) << text;
    EXPECT_NE(std::string::npos, text.find("Sampling interval:     0.1 seconds\r\n"
                                           "Entry Number,Channel A,Channel B,Heater 1,RANGE\r\n"
                                           "Data logging started at "));
    EXPECT_NE(std::string::npos, text.find("\r\nNumber of entries = 5\r\nData logging terminated"));
    EXPECT_TRUE(text.ends_with(" \r\n"));

    CSettingsStore settings(dir_.File("Tundrix.INI"));
    settings.Load();
    EXPECT_EQ("0.100000", settings.GetString("LOG", "INTERVAL", ""));
}

// "Log Date and Milliseconds": the rows' time has the date and milliseconds
// and rises from row to row; each name line is one line, with no stray CR and
// no empty line after it. Without the option the name lines keep the
// instrument's own line end, as the file has always had them.
TEST_F(LogCommand, PreciseTimeGivesRowsAPlottableTimeAndNameLinesOfOneLine) {
    const std::string path = dir_.File("precise.csv");
    auto run = Cli(
        {path, "--sources", "A,Analog1", "--interval", "0.1", "--count", "4", "--precise-time"});
    ASSERT_EQ(0, run.exitCode) << run.err;
    const std::string text = ReadFile(path);
    static const std::regex row(
        "^([0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}\\.[0-9]{3}),.*\r$");
    std::vector<std::string> times;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        if (std::smatch match; std::regex_match(line, match, row))
            times.push_back(match[1]);
    ASSERT_EQ(4u, times.size()) << text;
    for (std::size_t i = 1; i < times.size(); ++i)
        EXPECT_LT(times[i - 1], times[i]) << text;
    EXPECT_EQ(0, CountRows(text));
    EXPECT_NE(std::string::npos, text.find("INP A name:Input A,unit:K\r\nLOOP 3 name:"));
    EXPECT_EQ(std::string::npos, text.find("\r\r")) << text;
    EXPECT_EQ(std::string::npos, text.find("\r\n\r\n")) << text;

    const std::string plainPath = dir_.File("plain.csv");
    run = Cli({plainPath, "--sources", "A", "--interval", "0.1", "--count", "1"});
    ASSERT_EQ(0, run.exitCode) << run.err;
    EXPECT_NE(std::string::npos, ReadFile(plainPath).find("unit:K\r\r\n\r\n"));
}

TEST_F(LogCommand, CtrlCEndsTheRunWithItsTrailer) {
    const std::string path = dir_.File("interrupted.csv");
    RunningCli cli(Args({path, "--sources", "all", "--interval", "0.1", "--duration", "60"}),
                   dir_.File("err.txt"));
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (CountRows(ReadFile(path)) < 3 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(20ms);
    ASSERT_GE(CountRows(ReadFile(path)), 3);
    cli.Signal(SIGINT);
    EXPECT_EQ(0, cli.Wait(3s));

    const std::string text = ReadFile(path);
    const int rows = CountRows(text);
    EXPECT_NE(std::string::npos,
              text.find("\r\nNumber of entries = " + std::to_string(rows) + "\r\n"))
        << text;
    EXPECT_TRUE(std::regex_search(text, std::regex("Data logging terminated at [0-9/: ]+ \r\n$")))
        << text;
    // Every source TX-28 offers: A-D, both heaters, both analog outputs, four set points.
    EXPECT_NE(std::string::npos,
              text.find("Entry Number,Channel A,Channel B,Channel C,Channel D,Heater 1,RANGE,"
                        "Heater 2,RANGE,Analog 1,Analog 2,Loop1 Setpoint,Loop2 Setpoint,Loop3 "
                        "Setpoint,Loop4 Setpoint\r\n"));
    EXPECT_NE(std::string::npos, ReadFile(dir_.File("err.txt")).find("Data logging terminated"));
}

TEST_F(LogCommand, WrongOptionsAreRefusedBeforeAnythingIsWritten) {
    const std::string path = dir_.File("refused.csv");
    const std::vector<std::pair<std::vector<std::string>, std::string>> wrong{
        {{path, "--sources", "A,Z", "--interval", "1", "--count", "1"}, "unknown source \"Z\""},
        {{path, "--sources", "E", "--interval", "1", "--count", "1"}, "has no Channel E"},
        {{path, "--sources", "A", "--interval", "0.09", "--count", "1"},
         "log: --interval 0.09: not a number of seconds from 0.1 to 120000\n"},
        {{path, "--sources", "A", "--interval", "1"}, "give --count N or --duration S"},
        {{path, "--sources", "A", "--interval", "1", "--count", "0"},
         "log: --count 0: not a whole number from 1 to 2147483647\n"},
        {{path, "--sources", "A", "--interval", "nan", "--count", "1"},
         "log: --interval nan: not a number of seconds from 0.1 to 120000\n"},
        {{path, "--sources", "A", "--interval", "1", "--duration", "inf"},
         "log: --duration inf: not a number of seconds from 0.1 to 1000000000\n"},
    };
    for (const auto& [args, message] : wrong) {
        auto run = Cli(args);
        EXPECT_EQ(2, run.exitCode) << message;
        EXPECT_NE(std::string::npos, run.err.find(message)) << run.err;
    }
    auto both = Cli({path, "--sources", "A", "--interval", "1", "--count", "1", "--duration", "1"});
    EXPECT_NE(0, both.exitCode);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(LogCommand, AnUnreachableInstrumentEndsWithoutAFile) {
    const std::string path = dir_.File("none.csv");
    auto run =
        RunProgram(TUNDRIX_CLI_PROGRAM, {"--settings", dir_.File("Tundrix.INI"), "--port",
                                         "ASRL" + dir_.File("no-such-tty") + "::INSTR", "log", path,
                                         "--sources", "A", "--interval", "1", "--count", "1"});
    EXPECT_NE(0, run.exitCode);
    EXPECT_FALSE(std::filesystem::exists(path));
}

// The command line and the window run one start, one worker and one stop:
// with the same choices their files have the same bytes but for what was read
// and when.
TEST_F(LogCommand, TheFileHasTheLayoutOfTheUtilitysRun) {
    const std::string cliPath = dir_.File("cli.csv");
    ASSERT_EQ(0, Cli({cliPath, "--sources", "A,Heater2,Loop3", "--interval", "0.2", "--count", "3"})
                     .exitCode);

    class Answers : public IDataLogSetup, public IFileChooser, public IDataLoggingProgress {
    public:
        explicit Answers(CVantorCore& core, std::string path)
            : core_(core), path_(std::move(path)) {}
        bool RunDataLogSetup(DataLogSetupData& data) override {
            data.mask = 1u << 0 | 1u << 9 | 1u << 14;
            data.interval = 0.2;
            return true;
        }
        std::optional<std::string> ChooseOpenFile(std::string_view, std::string_view) override {
            return std::nullopt;
        }
        std::optional<std::string> ChooseSaveFile(std::string_view, std::string_view) override {
            return path_;
        }
        void SetFields(const DataLoggingFields&) override {}
        void ShowProgress() override {}
        void SetEntries(std::string_view) override {}
        void PressStop() override { core_.LoggingRun().Stop(); }

    private:
        CVantorCore& core_;
        std::string path_;
    };
    // The third entry stops the run while the worker waits, as the command line does.
    class Events : public IWorkerEvents {
    public:
        explicit Events(CVantorCore& core) : core_(core) {}
        void MonitorReadingArrived(int, const MonitorReading&) override {}
        void Disconnected(int) override {}
        void LoggingCommError() override {}
        void LogCountChanged() override {
            if (core_.LoggingRun().State().Entries() >= 3)
                core_.LoggingRun().Stop();
        }

    private:
        CVantorCore& core_;
    };

    CSettingsStore settings("");
    TestUi ui;
    CVantorCore core(settings, ui, ui, ui);
    const std::string tcp = sim_->Address("tcp");
    core.Link().UseLanAddress(*MyIPAddr::Parse("127.0.0.1"),
                              std::stoi(tcp.substr(tcp.rfind(':') + 1)));
    ASSERT_EQ(1, core.Link().ConnectLAN());
    ASSERT_TRUE(core.Identify());
    const std::string corePath = dir_.File("core.csv");
    Answers answers(core, corePath);
    CLoggingTicker ticker(core.SampleEvent());
    const LoggingUi loggingUi{answers, answers, answers, ticker};
    core.LoggingRun().AttachUi(&loggingUi);
    Events events(core);
    core.StartWorkers(events);
    core.LoggingRun().Start();
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (core.LoggingRun().State().IsActive() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(5ms);
    core.StopWorkers();
    core.LoggingRun().AttachUi(nullptr);

    const std::string fromCli = ReadFile(cliPath), fromCore = ReadFile(corePath);
    ASSERT_EQ(3, CountRows(fromCore)) << fromCore;
    EXPECT_EQ(Layout(fromCore), Layout(fromCli)) << fromCli;
    // Up to the start line the two are the same bytes.
    EXPECT_EQ(fromCore.substr(0, fromCore.find("Data logging started")),
              fromCli.substr(0, fromCli.find("Data logging started")));
}
