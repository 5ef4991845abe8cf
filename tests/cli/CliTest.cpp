#include <gtest/gtest.h>

#include <cstdlib>

#include "base/SettingsStore.h"
#include "base/SimulatorProcess.h"
#include "comm/CommLink.h"
#include "support/CliSuite.h"
#include "support/PtyPeer.h"
#include "support/RunProgram.h"
#include "support/TcpPeer.h"
#include "support/TempDir.h"
#include "support/TestUi.h"

namespace {

class CliAgainstSimulator : public CliSuite {
protected:
    static void SetUpTestSuite() { StartSimulator({"--pty"}); }
};

} // namespace

TEST(CliUsage, EveryRefusedCommandLineExitsWithTwo) {
    const std::vector<std::vector<std::string>> refused{
        {},                                  // no subcommand
        {"bogus"},                           // unknown subcommand
        {"query"},                           // missing argument
        {"--nope", "identify"},              // unknown option
        {"curve", "upload", "x", "out.crv"}, // not a number
        {"monitor", "A", "--count", "0"},    // refused by the option's check
        {"log", "out.csv", "--sources", "A", "--interval", "1", "--count", "2", "--duration",
         "3"},                 // options that exclude each other
        {"identify", "extra"}, // an argument too many
    };
    for (const auto& args : refused) {
        const auto run = RunProgram(TUNDRIX_CLI_PROGRAM, args);
        std::string line;
        for (const auto& arg : args)
            line += arg + " ";
        EXPECT_EQ(2, run.exitCode) << line << run.err;
        EXPECT_NE("", run.err) << line;
        EXPECT_EQ("", run.out) << line;
    }
    for (const char* option : {"--help", "--version"}) {
        const auto run = RunProgram(TUNDRIX_CLI_PROGRAM, {option});
        EXPECT_EQ(0, run.exitCode) << option << run.err;
        EXPECT_NE("", run.out) << option;
    }
    const auto help = RunProgram(TUNDRIX_CLI_PROGRAM, {"curve", "download", "--help"});
    EXPECT_EQ(0, help.exitCode) << help.err;
    EXPECT_NE(std::string::npos, help.out.find("--verify")) << help.out;
}

TEST_F(CliAgainstSimulator, QueryPrintsTheReplyExactlyAsReceived) {
    auto idn = Cli({"query", "*IDN?"});
    EXPECT_EQ(0, idn.exitCode) << idn.err;
    EXPECT_EQ(0u, idn.out.find("ARKTRONIC,"));
    EXPECT_EQ("\r\n", idn.out.substr(idn.out.size() - 2));
    EXPECT_EQ("", idn.err);

    auto idef = Cli({"query", "SYST:IDEF?"});
    EXPECT_EQ(0, idef.exitCode);
    EXPECT_EQ(0u, idef.out.find("28,"));
}

TEST_F(CliAgainstSimulator, SendWritesTheLineAndPrintsNothing) {
    auto sent = Cli({"send", "INP C:NAME Sample"});
    EXPECT_EQ(0, sent.exitCode) << sent.err;
    EXPECT_EQ("", sent.out);
    EXPECT_EQ("Sample\r\n", Cli({"query", "INP C:NAME?"}).out);
}

TEST_F(CliAgainstSimulator, TerminalLogsEachExchangeLikeTheUtility) {
    auto run = Cli({"terminal"}, "INP D:NAME Shield\r\nINP D:NAME?\n\n*CLS");
    EXPECT_EQ(0, run.exitCode) << run.err;
    EXPECT_EQ("\ncommand:INP D:NAME Shield\n"
              "\nquery:INP D:NAME?\nresponse:Shield\r\n\n"
              "\ncommand:*CLS\n",
              run.out);
}

TEST_F(CliAgainstSimulator, TerminalReportsFailuresOnStandardErrorAndExitsNonZero) {
    auto run = Cli({"terminal"}, std::string(101, 'X') + "\n*IDN?\n");
    EXPECT_EQ(1, run.exitCode);
    EXPECT_NE(std::string::npos, run.err.find("LinkResult -2"));
    EXPECT_NE(std::string::npos, run.out.find("\nresponse:ARKTRONIC,"));
}

TEST_F(CliAgainstSimulator, IdentifyPrintsModelCodeAndFeatureRow) {
    auto run = Cli({"identify"});
    EXPECT_EQ(0, run.exitCode) << run.err;
    EXPECT_EQ("Model: ARKTRONIC,TX-28\nModel code: 28\nModel class: 2\nInputs: 4\n"
              "Analog kind: 4\n",
              run.out);
}

TEST(Cli, IdentifyWithoutAnInstrumentSaysNoDevice) {
    PtyPeer silent;
    TempDir dir;
    auto run = RunProgram(TUNDRIX_CLI_PROGRAM, {"--settings", dir.File("Tundrix.INI"), "--port",
                                                "ASRL" + silent.Device() + "::INSTR", "identify"});
    EXPECT_EQ(1, run.exitCode);
    EXPECT_EQ("", run.out);
    EXPECT_NE(std::string::npos, run.err.find("Communication Error"));
    EXPECT_NE(std::string::npos, run.err.find("- Matching Baud Rates"));
    EXPECT_NE(std::string::npos, run.err.find("No Device"));
}

TEST(Cli, APortThatCannotOpenFailsWithTheLinksMessageAndCode) {
    TempDir dir;
    auto run =
        RunProgram(TUNDRIX_CLI_PROGRAM, {"--settings", dir.File("Tundrix.INI"), "--port",
                                         "ASRL/dev/tundrix-missing::INSTR", "query", "*IDN?"});
    EXPECT_EQ(1, run.exitCode);
    EXPECT_EQ("", run.out);
    EXPECT_NE(std::string::npos, run.err.find("Failed to create RS232 serial port"));
    EXPECT_NE(std::string::npos, run.err.find("/dev/tundrix-missing"));
    EXPECT_NE(std::string::npos, run.err.find("LinkResult -1"));
}

TEST(Cli, ABadResourceIsAUsageError) {
    auto run = RunProgram(TUNDRIX_CLI_PROGRAM, {"--port", "COM3", "query", "*IDN?"});
    EXPECT_EQ(2, run.exitCode);
    EXPECT_NE(std::string::npos, run.err.find("not a resource"));
}

TEST(Cli, WithoutAPortTheSettingsFileDecides) {
    TempDir dir;
    std::string settings = dir.File("Tundrix.INI");
    {
        std::FILE* f = std::fopen(settings.c_str(), "w");
        std::fputs("[CommunicationSetup]\nCommPort=4\n[SerialDevices]\nCOM5=/dev/tundrix-com5\n",
                   f);
        std::fclose(f);
    }
    auto run = RunProgram(TUNDRIX_CLI_PROGRAM, {"--settings", settings, "send", "*CLS"});
    EXPECT_EQ(1, run.exitCode);
    EXPECT_NE(std::string::npos, run.err.find("/dev/tundrix-com5"));
}

namespace {

// One simulator on every transport, and the CLI run against one of them.
class CliOnEveryTransport : public ::testing::Test {
protected:
    void Start(const std::vector<std::string>& faults = {}) {
        std::vector<std::string> args{"--pty", "--tcp", "0", "--gpib"};
        for (const auto& fault : faults)
            args.insert(args.end(), {"--fault", fault});
        ASSERT_TRUE(sim_.Start(TUNDRIX_SIM_PROGRAM, args, {"pty", "tcp", "gpib"})) << sim_.Error();
        ::setenv("TUNDRIX_SIM_GPIB", sim_.Address("gpib").c_str(), 1);
        ::setenv("TUNDRIX_GPIB_LIBRARY", TUNDRIX_GPIB_SIM_LIBRARY, 1);
    }
    void TearDown() override {
        ::unsetenv("TUNDRIX_SIM_GPIB");
        ::unsetenv("TUNDRIX_GPIB_LIBRARY");
    }
    int TcpPort() const {
        const std::string address = sim_.Address("tcp");
        return std::atoi(address.c_str() + address.rfind(':') + 1);
    }
    std::string Serial() const { return "ASRL" + sim_.Address("pty") + "::INSTR"; }
    std::string Lan() const {
        return "TCPIP::127.0.0.1::" + std::to_string(TcpPort()) + "::SOCKET";
    }
    ProgramResult Cli(const std::string& port, std::vector<std::string> args,
                      const std::string& input = "") {
        args.insert(args.begin(), {"--settings", dir_.File("Tundrix.INI"), "--port", port});
        return RunProgram(TUNDRIX_CLI_PROGRAM, args, input);
    }

    CSimulatorProcess sim_;
    TempDir dir_;
};

} // namespace

TEST_F(CliOnEveryTransport, ACommandIsOneLineAndLineBreaksAreRefused) {
    Start();
    auto query = Cli(Serial(), {"query", "INP A:NAME?\nINP A:NAME Hacked"});
    EXPECT_EQ(2, query.exitCode);
    EXPECT_EQ("tundrix-cli: query: the command holds a line break; a command is one line; "
              "nothing was sent\n",
              query.err);
    auto send = Cli(Serial(), {"send", "INP A:NAME Tab\tbed"});
    EXPECT_EQ(2, send.exitCode);
    EXPECT_EQ("tundrix-cli: send: the command holds the control character 0x09; a command is one "
              "line of text; nothing was sent\n",
              send.err);
    auto terminal = Cli(Serial(), {"terminal"}, "INP A:NAME?\rINP A:NAME Hacked\r\nINP A:NAME?\n");
    EXPECT_EQ(1, terminal.exitCode);
    EXPECT_EQ("tundrix-cli: line 1: the command holds a line break; a command is one line; it "
              "was not sent\n",
              terminal.err);
    // Nothing of the refused lines reached the instrument.
    EXPECT_EQ("\nquery:INP A:NAME?\nresponse:Input A\r\n\n", terminal.out);
}

TEST_F(CliOnEveryTransport, AQueryWithoutAnswerFailsOnEveryTransport) {
    Start({"no-reply"});
    for (const std::string& port : {Serial(), Lan(), std::string("GPIB0::12::INSTR")}) {
        auto run = Cli(port, {"query", "*IDN?"});
        EXPECT_EQ(1, run.exitCode) << port;
        EXPECT_EQ("", run.out) << port;
        EXPECT_NE(std::string::npos, run.err.find("\"*IDN?\"")) << port << ": " << run.err;
    }
    // GPIB gives an empty reply and success: the CLI says what happened.
    auto gpib = Cli("GPIB0::12::INSTR", {"terminal"}, "*IDN?\n");
    EXPECT_EQ(1, gpib.exitCode);
    EXPECT_EQ("tundrix-cli: command \"*IDN?\" got no reply from the instrument\n", gpib.err);
}

TEST_F(CliOnEveryTransport, TheTerminalStopsWhenTheConnectionIsLost) {
    // Each connection is closed after one command.
    Start({"hangup:1"});
    auto run = Cli(Lan(), {"terminal"}, "INP A:NAME?\nINP B:NAME?\nINP C:NAME?\n");
    EXPECT_EQ(1, run.exitCode);
    EXPECT_EQ("\nquery:INP A:NAME?\nresponse:Input A\r\n\n\nquery:INP B:NAME?\nresponse:\n",
              run.out);
    // Whether the send or the read finds the connection closed is up to the timing.
    EXPECT_NE(std::string::npos, run.err.find("command \"INP B:NAME?\" failed: LinkResult -7 ("));
    EXPECT_TRUE(run.err.ends_with("tundrix-cli: the connection to the instrument is lost; the "
                                  "remaining lines are not sent\n"))
        << run.err;
}

TEST_F(CliOnEveryTransport, LanChosenInTheSettingsIsConnectedOrSaysWhyNot) {
    Start();
    const std::string settings = dir_.File("lan.INI");
    auto write = [&](int port) {
        std::FILE* f = std::fopen(settings.c_str(), "w");
        std::fprintf(f,
                     "[CommunicationSetup]\nPortType=3\nIPAddr0=127\nIPAddr1=0\nIPAddr2=0\n"
                     "IPAddr3=1\nIPPort=%d\n",
                     port);
        std::fclose(f);
    };
    write(TcpPort());
    auto run = RunProgram(TUNDRIX_CLI_PROGRAM, {"--settings", settings, "query", "INP B:NAME?"});
    EXPECT_EQ(0, run.exitCode) << run.err;
    EXPECT_EQ("Input B\r\n", run.out);

    int closed;
    {
        TcpPeer nobody;
        closed = nobody.Port();
    }
    write(closed);
    run = RunProgram(TUNDRIX_CLI_PROGRAM, {"--settings", settings, "query", "INP B:NAME?"});
    EXPECT_EQ(1, run.exitCode);
    EXPECT_EQ("127.0.0.1:" + std::to_string(closed) +
                  ": Connection refused\ntundrix-cli: error: Failed to connect to server.\n",
              run.err);
}

TEST_F(CliOnEveryTransport, ResourcesByHostNameAndRefusedOnes) {
    Start();
    auto named = Cli("TCPIP::localhost::" + std::to_string(TcpPort()) + "::SOCKET",
                     {"query", "INP A:NAME?"});
    EXPECT_EQ(0, named.exitCode) << named.err;
    EXPECT_EQ("Input A\r\n", named.out);

    auto empty = Cli("", {"query", "*IDN?"});
    EXPECT_EQ(2, empty.exitCode);
    EXPECT_EQ(0u, empty.err.find("tundrix-cli: --port: the resource is empty"));
    auto unknown = Cli("TCPIP::no-such-host.invalid::5000::SOCKET", {"query", "*IDN?"});
    EXPECT_EQ(2, unknown.exitCode);
    EXPECT_EQ(0u, unknown.err.find("tundrix-cli: --port: cannot find the IPv4 address of "
                                   "\"no-such-host.invalid\""));
    auto unlisten = Cli("GPIB0::31::INSTR", {"query", "*IDN?"});
    EXPECT_EQ(2, unlisten.exitCode);
    EXPECT_EQ("tundrix-cli: --port: GPIB primary address 31 is out of range (0 to 30)\n",
              unlisten.err);
}

TEST_F(CliOnEveryTransport, ASecondProgramOnAGpibDeviceIsRefused) {
    Start();
    CSettingsStore settings("");
    TestUi ui;
    CCommLink holder(settings, ui, ui, ui);
    holder.UseGpibAddress(12);
    std::string reply;
    ASSERT_EQ(Link::Success, holder.Transact("INP A:NAME?", &reply)) << ui.Log();
    auto run = Cli("GPIB0::12::INSTR", {"query", "INP A:NAME?"});
    EXPECT_EQ(1, run.exitCode);
    EXPECT_EQ(0u, run.err.find("GPIB0::12::INSTR: another program is using this instrument"))
        << run.err;
    EXPECT_EQ("", run.out);
}
