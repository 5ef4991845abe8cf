#include <gtest/gtest.h>

#include "CommandFileFixture.h"
#include "support/CliSuite.h"

namespace {

class CommandFileCli : public CliSuite {
protected:
    static void SetUpTestSuite() { StartSimulator({"--pty"}); }

    std::string Write(const std::string& text) { return WriteFile(dir_.File("test.xml"), text); }
};

} // namespace

TEST_F(CommandFileCli, ACompletedRunExitsZeroOnlyWithoutErrorsAndThreeWithThem) {
    const std::string file = Write("<Check><QUERY>*IDN?</QUERY><RESPONSE>arktronic</RESPONSE>"
                                   "<QUERY>*IDN?</QUERY><RESPONSE>ARKTRONIC,TX-28,SN280417,1.4.2"
                                   "</RESPONSE></Check>");
    const std::string errorLog = dir_.File("errors.txt");
    auto run = Cli({"run-commands", file, "--error-log", errorLog});
    EXPECT_EQ(3, run.exitCode) << run.err;
    const std::string errors = "Error:The returned string for query \"CHECK: tag 2: *IDN?\"\n"
                               "Received:ARKTRONIC,TX-28,SN280417,1.4.2,Expected:ARKTRONIC\n"
                               "Command language test completed.\n"
                               "1 Errors logged in the ErrorLog.txt\n";
    EXPECT_EQ(errors, ReadFile(errorLog));
    // The log and the expected texts, in the order they were written.
    EXPECT_EQ("CHECK: Query:*IDN?\nReceived:ARKTRONIC,TX-28,SN280417,1.4.2\n"
              "Expected:arktronic\n" +
                  errors.substr(0, errors.find("Command")) +
                  "CHECK: Query:*IDN?\nReceived:ARKTRONIC,TX-28,SN280417,1.4.2\n"
                  "Expected:ARKTRONIC,TX-28,SN280417,1.4.2\n"
                  "Command language test completed.\n"
                  "1 Errors logged in the ErrorLog.txt\n",
              run.out);
    EXPECT_EQ("", run.err);
}

TEST_F(CommandFileCli, ARunWhoseChecksAllPassExitsZero) {
    auto run = Cli({"run-commands",
                    Write("<Check><QUERY>*IDN?</QUERY><RESPONSE>ARKTRONIC,TX-28,SN280417,1.4.2"
                          "</RESPONSE></Check>"),
                    "--error-log", dir_.File("errors.txt")});
    EXPECT_EQ(0, run.exitCode) << run.err;
    EXPECT_EQ("Command language test completed.\n0 Errors logged in the ErrorLog.txt\n",
              ReadFile(dir_.File("errors.txt")));
}

TEST_F(CommandFileCli, TheHelpTellsTheExitStatuses) {
    auto help = RunProgram(TUNDRIX_CLI_PROGRAM, {"run-commands", "--help"});
    EXPECT_EQ(0, help.exitCode);
    EXPECT_NE(
        std::string::npos,
        help.out.find("Exit status: 0 when the run completed with no error logged; 3 when it\n"
                      "completed with errors logged (a reply failed its check); 1 when it was\n"
                      "aborted or the command file could not be opened."))
        << help.out;
}

TEST_F(CommandFileCli, TheErrorLogGoesToTheCurrentFolderByDefault) {
    const std::string file = Write("<G><COMMAND>*CLS</COMMAND>");
    std::vector<std::string> args = WithPort({});
    std::string command = "cd '" + dir_.Path() + "' && exec '" TUNDRIX_CLI_PROGRAM "'";
    for (const std::string& arg : args)
        command += " '" + arg + "'";
    auto run = RunProgram("/bin/sh", {"-c", command + " run-commands '" + file + "'"});
    EXPECT_EQ(0, run.exitCode) << run.err;
    EXPECT_EQ("Command language test completed.\n0 Errors logged in the ErrorLog.txt\n",
              ReadFile(dir_.File("ErrorLog.txt")));
}

TEST_F(CommandFileCli, AnAbortedOrUnopenedRunFails) {
    const std::string errorLog = dir_.File("errors.txt");
    auto aborted =
        Cli({"run-commands", Write("<G><QUERY>INP Z:TEMP?</QUERY>"), "--error-log", errorLog});
    EXPECT_EQ(1, aborted.exitCode);
    EXPECT_EQ("Error:Not able to send \"G:tag 1: INP Z:TEMP?\" command \n"
              "Command language test aborted.\n"
              "0 Errors logged in the ErrorLog.txt\n",
              ReadFile(errorLog));
    EXPECT_EQ("tundrix-cli: error: Communication Error\n", aborted.err);

    auto missing = Cli({"run-commands", dir_.File("none.xml"), "--error-log", errorLog});
    EXPECT_EQ(1, missing.exitCode);
    EXPECT_EQ("Error:Failed to open " + dir_.File("none.xml") + " \n", missing.out);
    EXPECT_EQ("", ReadFile(errorLog));
}
