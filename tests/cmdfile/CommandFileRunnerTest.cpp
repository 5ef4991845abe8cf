// The runner against a scripted instrument on a real loopback TCP port (the
// LAN transport answers at once, so a run takes little more than its own
// 100 ms steps).

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <mutex>
#include <thread>

#include "CommandFileFixture.h"
#include "comm/MyIPAddr.h"
#include "support/TcpResponder.h"

using namespace std::chrono_literals;

namespace {

constexpr const char* Completed0 =
    "Command language test completed.\n0 Errors logged in the ErrorLog.txt\n";

// A run on a LAN link to an instrument that answers each query in `replies`
// and nothing else.
struct LanRun {
    explicit LanRun(std::map<std::string, std::string> replies = {})
        : instrument([replies = std::move(replies)](const std::string& line) {
              auto found = replies.find(line);
              return found == replies.end() ? std::string() : found->second;
          }) {
        link.UseLanAddress(*MyIPAddr::Parse("127.0.0.1"), instrument.Port());
        EXPECT_EQ(1, link.ConnectLAN());
    }
    // What the instrument received, once the run has sent everything.
    std::vector<std::string> Received() {
        // The lines of commands, which get no reply, may still be on their way.
        std::this_thread::sleep_for(50ms);
        return instrument.Lines();
    }

    TcpResponder instrument;
    CSettingsStore settings{""};
    TestUi ui;
    CCommLink link{settings, ui, ui, ui};
    CommandFileRun run{link};
};

using Lines = std::vector<std::string>;
using Replies = std::map<std::string, std::string>;

} // namespace

TEST(CommandFileRunner, KeywordsInAnyCaseAndATagWithAnAttributeStartsAGroup) {
    LanRun lan(Replies{{"INP A:UNIT?", "K\r\n"}});
    CommandFileResult result = lan.run.Run("<?xml version=\"1.0\"?>\n"
                                           "<Transactions>\n"
                                           "  <Setup>\n"
                                           "    <command>INP A:UNIT K</command>\n"
                                           "    <Command x=\"1\">INP A:UNIT C</Command>\n"
                                           "    <QuErY>INP A:UNIT?</QuErY>\n"
                                           "    <response>k</response>\n"
                                           "  </Setup>\n"
                                           "</Transactions>\n");
    EXPECT_EQ(CommandFileOutcome::Completed, result.outcome);
    EXPECT_EQ(0, result.errors);
    EXPECT_EQ(Lines({"INP A:UNIT K", "INP A:UNIT?"}), lan.Received());
    EXPECT_EQ(std::string("SETUP: Command:INP A:UNIT K\n"
                          "COMMAND X=\"1\": Query:INP A:UNIT?\n"
                          "Received:K\n") +
                  Completed0,
              lan.run.log.Log());
    // The expected text goes to standard output only, as written in the file.
    EXPECT_EQ("Expected:k\n", lan.run.standardOutput.Log());
    EXPECT_EQ(Completed0, lan.run.ErrorLog());
    EXPECT_TRUE(lan.ui.Boxes().empty());
}

TEST(CommandFileRunner, ResponseIgnoresCaseTheReplysSpacesAndLineEndButNotTheExpectedSpaces) {
    LanRun lan(Replies{{"A?", "k\r\n"}, {"B?", " K \r\n"}, {"C?", "K K\r\n"}, {"D?", "k"}});
    CommandFileResult result = lan.run.Run("<T>\n"
                                           "<COMMAND> *CLS</COMMAND>\n"
                                           "<QUERY>A?</QUERY><RESPONSE>K</RESPONSE>\n"
                                           "<QUERY>B?</QUERY><RESPONSE>K</RESPONSE>\n"
                                           "<QUERY>C?</QUERY><RESPONSE>K K</RESPONSE>\n"
                                           "</T>");
    EXPECT_EQ(CommandFileOutcome::Completed, result.outcome);
    EXPECT_EQ(1, result.errors);
    // A command's text is sent as written, its leading space included.
    EXPECT_EQ(Lines({" *CLS", "A?", "B?", "C?"}), lan.Received());
    // The group tag is tag 0, " *CLS" tag 1, each query and its response the next two.
    const std::string mismatch = "Error:The returned string for query \"T: tag 7: C?\"\n"
                                 "Received:K K,Expected:K K\n"
                                 "Command language test completed.\n"
                                 "1 Errors logged in the ErrorLog.txt\n";
    EXPECT_EQ(mismatch, lan.run.ErrorLog());
    EXPECT_EQ("T: Command: *CLS\n"
              "T: Query:A?\nReceived:k\n"
              "T: Query:B?\nReceived: K \n"
              "T: Query:C?\nReceived:K K\n" +
                  mismatch,
              lan.run.log.Log());
    EXPECT_EQ("Expected:K\nExpected:K\nExpected:K K\n", lan.run.standardOutput.Log());
}

TEST(CommandFileRunner, FloatResponseWithinFivePercentOfTheExpectedMagnitude) {
    struct Case {
        const char* expected;
        const char* reply;
        bool passes;
    };
    const std::vector<Case> cases{
        {"300", "285", true},      {"300", "315", true},      {"300", "284.9", false},
        {"300", "315.1", false},   {"300", "+3.0E+02", true}, {"-300", "-310", true},
        {"-300", "-284.9", false}, {"0", "0.000", true},      {"0", "0.001", false},
        {"300", "NaN", false},     {"none", "0", true},       {"300", "300.0;K", true},
    };
    std::map<std::string, std::string> replies;
    std::string file = "<F>";
    Lines failures;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const std::string query = "Q" + std::to_string(i) + "?";
        replies[query] = std::string(cases[i].reply) + "\r\n";
        file += "<QUERY>" + query + "</QUERY><FLOATRESPONSE>" + cases[i].expected +
                "</FLOATRESPONSE>\n";
        if (!cases[i].passes)
            failures.push_back(query);
    }
    LanRun lan(replies);
    CommandFileResult result = lan.run.Run(file);
    EXPECT_EQ(CommandFileOutcome::Completed, result.outcome);
    EXPECT_EQ(static_cast<int>(failures.size()), result.errors);
    std::string errorLog;
    for (std::size_t i = 0; i < cases.size(); ++i)
        if (!cases[i].passes)
            errorLog += "Error:The return string for query \"F: tag " + std::to_string(2 * i + 2) +
                        ": Q" + std::to_string(i) + "?\"\nReceived:" + cases[i].reply +
                        ",Expected:" + cases[i].expected + "\n";
    EXPECT_EQ(errorLog + "Command language test completed.\n5 Errors logged in the ErrorLog.txt\n",
              lan.run.ErrorLog());
    // FLOATRESPONSE shows the expected text in the log, not on standard output.
    EXPECT_NE(std::string::npos, lan.run.log.Log().find("F: Query:Q2?\nReceived:284.9\n"
                                                        "Expected:300\n"));
    EXPECT_EQ("", lan.run.standardOutput.Log());
}

TEST(CommandFileRunner, AReplyWithoutANumberCountsOneConversionError) {
    LanRun lan(Replies{{"INP A:NAME?", "Input A\r\n"}});
    CommandFileResult result = lan.run.Run("<G><QUERY>INP A:NAME?</QUERY>"
                                           "<FLOATRESPONSE>300</FLOATRESPONSE>");
    EXPECT_EQ(CommandFileOutcome::Completed, result.outcome);
    EXPECT_EQ(1, result.errors);
    EXPECT_EQ("Error:Unable to convert the response to float \"G:tag 2: INP A:NAME?\"\n"
              "Received:Input A,Expected:300\n"
              "Command language test completed.\n"
              "1 Errors logged in the ErrorLog.txt\n",
              lan.run.ErrorLog());
}

TEST(CommandFileRunner, AQueryFollowedByACommandLogsTheReplyAndRunsTheCommand) {
    LanRun lan(Replies{{"*IDN?", "ARKTRONIC,TX-28\r\n"}});
    CommandFileResult result = lan.run.Run("<G><QUERY>*IDN?</QUERY><COMMAND>*CLS</COMMAND>"
                                           "<CALCUR>CALC 1</CALCUR><MODEL>TX-28</MODEL>");
    EXPECT_EQ(CommandFileOutcome::Completed, result.outcome);
    EXPECT_EQ(Lines({"*IDN?", "*CLS", "CALC 1"}), lan.Received());
    EXPECT_EQ(std::string("G: Query:*IDN?\nReceived:ARKTRONIC,TX-28\n"
                          "G: Command:*CLS\n"
                          "G: CalCur:CALC 1\n"
                          "Command for Model TX-28\n") +
                  Completed0,
              lan.run.log.Log());
}

TEST(CommandFileRunner, TheRunEndsAtTheClosingTransactionsTagOrTheEndOfTheFile) {
    {
        LanRun lan;
        EXPECT_EQ(CommandFileOutcome::Completed,
                  lan.run
                      .Run("<TRANSACTIONS><G><COMMAND>A</COMMAND></G></transactions>"
                           "<COMMAND>B</COMMAND>")
                      .outcome);
        EXPECT_EQ(Lines({"A"}), lan.Received());
        EXPECT_EQ("G: Command:A\n" + std::string(Completed0), lan.run.log.Log());
    }
    {
        LanRun lan;
        EXPECT_EQ(CommandFileOutcome::Completed, lan.run.Run("no tags at all\n").outcome);
        EXPECT_EQ(Completed0, lan.run.log.Log());
        EXPECT_EQ(Completed0, lan.run.ErrorLog());
    }
    {
        // An empty element text is the current item at the end test.
        LanRun lan;
        EXPECT_EQ(CommandFileOutcome::Completed,
                  lan.run.Run("<G><PAUSE></PAUSE><COMMAND>A</COMMAND>").outcome);
        EXPECT_EQ(Lines{}, lan.Received());
        EXPECT_EQ(Completed0, lan.run.log.Log());
    }
}

TEST(CommandFileRunner, PauseWaitsTheGivenMilliseconds) {
    LanRun lan;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(CommandFileOutcome::Completed,
              lan.run.Run("<G><PAUSE>400</PAUSE><PAUSE>-5</PAUSE><COMMAND>A</COMMAND>").outcome);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 400ms);
    EXPECT_EQ(Lines({"A"}), lan.Received());
}

TEST(CommandFileRunner, AQueryWithoutQuestionMarkIsCheckedAgainstTheReplyBefore) {
    LanRun lan(Replies{{"A?", "x\r\n"}});
    CommandFileResult result =
        lan.run.Run("<G><QUERY>A?</QUERY><RESPONSE>X</RESPONSE>"
                    "<QUERY>B</QUERY><RESPONSE>X</RESPONSE><QUERY>C</QUERY><RESPONSE>Y</RESPONSE>");
    EXPECT_EQ(CommandFileOutcome::Completed, result.outcome);
    EXPECT_EQ(1, result.errors);
    EXPECT_EQ(Lines({"A?", "B", "C"}), lan.Received());
    // The reply was upper-cased by the first check.
    EXPECT_EQ("Error:The returned string for query \"G: tag 6: C\"\n"
              "Received:X,Expected:Y\n"
              "Command language test completed.\n"
              "1 Errors logged in the ErrorLog.txt\n",
              lan.run.ErrorLog());
}

TEST(CommandFileRunner, AQueryWithoutQuestionMarkBeforeAnyReplyAbortsTheRun) {
    LanRun lan;
    CommandFileResult result = lan.run.Run("<G><QUERY>B</QUERY><RESPONSE>X</RESPONSE>");
    EXPECT_EQ(CommandFileOutcome::Aborted, result.outcome);
    const std::string aborted = "Error:No returned string from device for \"G:tag 1: B\" from "
                                "target\n"
                                "Command language test aborted.\n"
                                "0 Errors logged in the ErrorLog.txt\n";
    EXPECT_EQ(aborted, lan.run.ErrorLog());
    EXPECT_EQ("G: Query:B\n" + aborted, lan.run.log.Log());
    EXPECT_TRUE(lan.run.mutex.try_lock());
}

TEST(CommandFileRunner, ASendFailureAbortsWithTheCountOfEarlierErrors) {
    LanRun lan(Replies{{"A?", "1\r\n"}});
    const std::string longCommand(101, 'c');
    CommandFileResult result = lan.run.Run("<G><QUERY>A?</QUERY><RESPONSE>2</RESPONSE>"
                                           "<COMMAND>" +
                                           longCommand + "</COMMAND><COMMAND>B</COMMAND>");
    EXPECT_EQ(CommandFileOutcome::Aborted, result.outcome);
    EXPECT_EQ(1, result.errors);
    EXPECT_EQ(Lines({"A?"}), lan.Received());
    EXPECT_EQ("Error:The returned string for query \"G: tag 2: A?\"\n"
              "Received:1,Expected:2\n"
              "Error:Not able to send \"G:tag 3: " +
                  longCommand +
                  "\" command \n"
                  "Command language test aborted.\n"
                  "1 Errors logged in the ErrorLog.txt\n",
              lan.run.ErrorLog());
    EXPECT_TRUE(lan.run.mutex.try_lock());
}

TEST(CommandFileRunner, AQueryTheInstrumentDoesNotAnswerAbortsTheRun) {
    LanRun lan;
    CommandFileResult result = lan.run.Run("<G><QUERY>SILENT?</QUERY><RESPONSE>X</RESPONSE>");
    EXPECT_EQ(CommandFileOutcome::Aborted, result.outcome);
    EXPECT_EQ("Error:Not able to send \"G:tag 1: SILENT?\" command \n"
              "Command language test aborted.\n"
              "0 Errors logged in the ErrorLog.txt\n",
              lan.run.ErrorLog());
    // The link's own box.
    EXPECT_EQ(Lines({"Communication Error"}), lan.ui.BoxTexts());
}

TEST(CommandFileRunner, ABusyMutexAtTheStartDelaysTheRunInsteadOfEndingIt) {
    LanRun lan;
    std::unique_lock held(lan.run.mutex);
    std::thread other([&held] {
        std::this_thread::sleep_for(300ms);
        held.unlock();
    });
    CommandFileResult result = lan.run.Run("<G><COMMAND>A</COMMAND>");
    other.join();
    EXPECT_EQ(CommandFileOutcome::Completed, result.outcome);
    EXPECT_EQ(Lines({"A"}), lan.Received());
    EXPECT_EQ("G: Command:A\n" + std::string(Completed0), lan.run.log.Log());
}

// The run goes on, and its last line does not claim errors logged where
// nothing could be written.
TEST(CommandFileRunner, AnErrorLogThatCannotBeCreatedIsReportedAndTheRunGoesOn) {
    LanRun lan(Replies{{"A?", "1\r\n"}});
    lan.run.errorLogPath = lan.run.dir.File("missing/ErrorLog.txt");
    EXPECT_EQ(
        CommandFileOutcome::Completed,
        lan.run.Run("<G><COMMAND>A</COMMAND><QUERY>A?</QUERY><RESPONSE>2</RESPONSE>").outcome);
    EXPECT_EQ("Error:Failed to create " + lan.run.errorLogPath +
                  ": No such file or directory\n"
                  "G: Command:A\n"
                  "G: Query:A?\n"
                  "Received:1\n"
                  "Error:The returned string for query \"G: tag 3: A?\"\n"
                  "Received:1,Expected:2\n"
                  "Command language test completed.\n"
                  "1 Errors, not logged: " +
                  lan.run.errorLogPath + " could not be written\n",
              lan.run.log.Log());
}

TEST(CommandFileRunner, EveryRunRewritesTheErrorLogEvenACancelledOne) {
    LanRun lan;
    std::ofstream(lan.run.errorLogPath) << "an earlier run\n";
    lan.run.files.name.reset();
    EXPECT_EQ(CommandFileOutcome::Cancelled, lan.run.Run().outcome);
    EXPECT_EQ("", lan.run.ErrorLog());
    EXPECT_EQ("", lan.run.log.Log());

    std::ofstream(lan.run.errorLogPath) << "an earlier run\n";
    lan.run.files.name = lan.run.dir.File("missing.xml");
    EXPECT_EQ(CommandFileOutcome::NotOpened, lan.run.Run().outcome);
    EXPECT_EQ("", lan.run.ErrorLog());
    EXPECT_EQ("Error:Failed to open " + lan.run.dir.File("missing.xml") + " \n", lan.run.log.Log());
    EXPECT_EQ(Lines{}, lan.Received());
    EXPECT_TRUE(lan.run.mutex.try_lock());
}
