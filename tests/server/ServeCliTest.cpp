// tundrix-cli serve on the simulator's RS232 line, as a lab runs it: the
// utility's LAN transport, a VISA client and command lines share it at once.

#include <gtest/gtest.h>

#include <algorithm>
#include <future>

#include "base/SimulatorProcess.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"
#include "support/WholeFile.h"

namespace {

class ServeCli : public ::testing::Test {
protected:
    ProgramResult Cli(const std::string& port, std::vector<std::string> args) const {
        args.insert(args.begin(), {"--settings", dir_.File("Tundrix.INI"), "--port", port,
                                   "--test-time-divisor", "5"});
        return RunProgram(TUNDRIX_CLI_PROGRAM, args);
    }
    TempDir dir_;
};

TEST_F(ServeCli, ClientsOfEveryKindShareTheInstrumentAndItIsFreeAfterwards) {
    CSimulatorProcess sim;
    ASSERT_TRUE(sim.Start(TUNDRIX_SIM_PROGRAM, {"--pty"})) << sim.Error();
    const std::string direct = "ASRL" + sim.Address("pty") + "::INSTR";
    // The instrument's own log holds still, so that both uploads of it are equal.
    ASSERT_EQ(0, Cli(direct, {"send", "DLog:State off"}).exitCode);
    ASSERT_EQ(0, Cli(direct, {"curve", "upload", "1", dir_.File("direct.crv")}).exitCode);
    ASSERT_EQ(0, Cli(direct, {"datalog", "upload", dir_.File("direct.log")}).exitCode);

    CSimulatorProcess server;
    ASSERT_TRUE(server.Start(TUNDRIX_CLI_PROGRAM,
                             {"--settings", dir_.File("Tundrix.INI"), "--port", direct,
                              "--test-time-divisor", "5", "serve", "--listen", "127.0.0.1:0"},
                             {"serve"}))
        << server.Error();
    const std::string address = server.Address("serve");
    const std::string port = address.substr(address.rfind(':') + 1);
    const std::string shared = "TCPIP::127.0.0.1::" + port + "::SOCKET";

    auto visa = std::async(std::launch::async, [&] {
        return RunProgram("/usr/bin/python3", {TUNDRIX_VISA_CLIENT, port, "30"});
    });
    auto monitor = std::async(std::launch::async, [&] {
        return Cli(shared, {"monitor", "A", "--count", "3", "--interval", "0.3"});
    });
    const ProgramResult identify = Cli(shared, {"identify"});
    EXPECT_EQ(0, identify.exitCode) << identify.err;
    EXPECT_NE(std::string::npos, identify.out.find("Model code: 28\n")) << identify.out;
    const ProgramResult curve = Cli(shared, {"curve", "upload", "1", dir_.File("shared.crv")});
    EXPECT_EQ(0, curve.exitCode) << curve.err;
    EXPECT_EQ(ReadFile(dir_.File("direct.crv")), ReadFile(dir_.File("shared.crv")));
    const ProgramResult datalog = Cli(shared, {"datalog", "upload", dir_.File("shared.log")});
    EXPECT_EQ(0, datalog.exitCode) << datalog.err;
    EXPECT_EQ(ReadFile(dir_.File("direct.log")), ReadFile(dir_.File("shared.log")));

    const ProgramResult visaRun = visa.get();
    EXPECT_EQ("right 30 of 30\n", visaRun.out) << visaRun.err;
    const ProgramResult monitorRun = monitor.get();
    EXPECT_EQ(0, monitorRun.exitCode) << monitorRun.err;
    EXPECT_EQ(3, std::count(monitorRun.out.begin(), monitorRun.out.end(), '\n')) << monitorRun.out;

    // SIGTERM ends the server; the line and its lock are free again.
    server.Stop();
    const ProgramResult after = Cli(direct, {"query", "*IDN?"});
    EXPECT_EQ(0, after.exitCode) << after.err;
}

} // namespace
