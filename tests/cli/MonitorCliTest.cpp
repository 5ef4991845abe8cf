// tundrix-cli monitor: against the simulator and a silent instrument.

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <regex>
#include <sstream>
#include <vector>

#include "base/SettingsStore.h"
#include "base/SimulatorProcess.h"
#include "support/CliSuite.h"
#include "support/PtyPeer.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

class MonitorCli : public CliSuite {
protected:
    static void SetUpTestSuite() { StartSimulator({"--tcp", "0", "--model", "28"}, {"tcp"}); }
};

} // namespace

TEST_F(MonitorCli, PrintsOneLineAReadingWithTimeValueUnitAndName) {
    auto channel = Cli({"monitor", "A", "--count", "3", "--interval", "0.1"});
    EXPECT_EQ(0, channel.exitCode) << channel.err;
    EXPECT_EQ("", channel.err);
    const std::vector<std::string> lines = Lines(channel.out);
    ASSERT_EQ(3u, lines.size()) << channel.out;
    const std::regex reading(R"(\d\d:\d\d:\d\d\t\d+\.\d{4}\tK\tInput A)");
    for (const std::string& line : lines)
        EXPECT_TRUE(std::regex_match(line, reading)) << line;

    auto heater = Cli({"monitor", "Heater2", "--count", "1"});
    EXPECT_EQ(0, heater.exitCode) << heater.err;
    EXPECT_TRUE(
        std::regex_match(heater.out, std::regex(R"(\d\d:\d\d:\d\d\t\d+\.\d\t%\tHeater 2\n)")))
        << heater.out;
    auto analog = Cli({"monitor", "analog 2", "--count", "1"});
    EXPECT_EQ(0, analog.exitCode) << analog.err;
    EXPECT_TRUE(std::regex_match(analog.out, std::regex(R"(\S+\t\d+\.\d\d\t%\tAnalog 2\n)")))
        << analog.out;
}

TEST_F(MonitorCli, TheIntervalComesFromTheSettingsUnlessGiven) {
    {
        CSettingsStore settings(dir_.File("Tundrix.INI"));
        settings.WriteString("LOG", "INTERVAL", "0.6");
    }
    auto start = std::chrono::steady_clock::now();
    auto fromSettings = Cli({"monitor", "B", "--count", "2"});
    EXPECT_EQ(0, fromSettings.exitCode) << fromSettings.err;
    EXPECT_EQ(2u, Lines(fromSettings.out).size());
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(600));

    // NaN passes no comparison: it is refused like any number out of range.
    auto refused = Cli({"monitor", "B", "--count", "2", "--interval", "nan"});
    EXPECT_EQ(2, refused.exitCode);
    EXPECT_EQ("", refused.out);
    EXPECT_EQ("tundrix-cli: monitor: --interval nan: not a number of seconds from 0.1 to 120000\n",
              refused.err);
    auto unknown = Cli({"monitor", "Heater3", "--count", "1"});
    EXPECT_NE(0, unknown.exitCode);
    EXPECT_NE(std::string::npos, unknown.err.find("no such monitor"));
}

namespace {

// tundrix-cli on an instrument that identifies itself with `identity` (its
// "SYST:IDEF?" reply, the model code first) and answers nothing else; the
// lines it received.
ProgramResult MonitorOn(const std::string& identity, const std::vector<std::string>& args,
                        std::vector<std::string>& received) {
    PtyPeer instrument;
    TempDir dir;
    instrument.StartResponder([&received, identity](const std::string& line) {
        received.push_back(line);
        if (line == "*IDN?")
            return std::string("ARKTRONIC,TX,SN1,1.4.2\r\n");
        return line == "SYST:IDEF?" ? identity + "\r\n" : std::string();
    });
    std::vector<std::string> all{"--settings", dir.File("Tundrix.INI"), "--port",
                                 "ASRL" + instrument.Device() + "::INSTR", "monitor"};
    all.insert(all.end(), args.begin(), args.end());
    auto run = RunProgram(TUNDRIX_CLI_PROGRAM, all, "", std::chrono::seconds(10));
    instrument.StopResponder();
    return run;
}

} // namespace

// A monitor the View menu would not offer is refused once the instrument is
// identified, before it is asked.
TEST(MonitorCliModels, AMonitorTheModelLacksIsRefusedBeforeItIsAsked) {
    const std::array<std::array<const char*, 3>, 2> cases{{
        {"28,1,1,4,2,4,2", "E", "this instrument has no Channel E"},
        {"33,1,1,4,2,4,2", "A", "the model of this instrument is not recognised (model code 33)"},
    }};
    for (const auto& [identity, name, refusal] : cases) {
        std::vector<std::string> received;
        auto run = MonitorOn(identity, {name, "--count", "2"}, received);
        EXPECT_EQ(2, run.exitCode) << name;
        EXPECT_EQ("", run.out);
        EXPECT_EQ("tundrix-cli: monitor: " + std::string(refusal) + "\n", run.err);
        EXPECT_EQ((std::vector<std::string>{"*IDN?", "SYST:IDEF?"}), received);
    }
}

TEST(MonitorCliSilent, AFailedQueryStopsAtOnceAfterSendingItOnce) {
    std::vector<std::string> received;
    auto run =
        MonitorOn("28,1,1,4,2,4,2", {"Heater1", "--count", "3", "--interval", "0.1"}, received);
    EXPECT_EQ(1, run.exitCode);
    EXPECT_EQ("", run.out);
    EXPECT_NE(std::string::npos, run.err.find("LinkResult -1"));
    EXPECT_EQ((std::vector<std::string>{"*IDN?", "SYST:IDEF?", "LOOP 1:HTRR?NAME?;"}), received);
}
