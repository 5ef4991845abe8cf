// The command file runner of the fault suite, in-process on the core as the
// GUI runs it ("Send Command File"), with the error log at the path the user
// gave (the CLI's --error-log).

#include <string>

#include <gtest/gtest.h>

#include "base/GivenFiles.h"
#include "cmdfile/CommandFileRunner.h"
#include "faults/OperationRuns.h"

namespace faults {
namespace {

// Two commands and two checked queries: a name and a set point read back.
constexpr const char* CheckFile = "<TRANSACTIONS>\n"
                                  "<CHECK>\n"
                                  "<COMMAND>INP A:NAME Probe</COMMAND>\n"
                                  "<QUERY>INP A:NAME?</QUERY>\n"
                                  "<RESPONSE>PROBE</RESPONSE>\n"
                                  "<COMMAND>LOOP 1:SETPT 80</COMMAND>\n"
                                  "<QUERY>LOOP 1:SETPT?</QUERY>\n"
                                  "<FLOATRESPONSE>80</FLOATRESPONSE>\n"
                                  "</CHECK>\n"
                                  "</TRANSACTIONS>\n";

// A run succeeds when it completed with no failed check: a completed run
// with errors (the CLI's exit status 0 all the same, as documented) has
// found replies that were wrong, and says so in both logs. The output is the
// error log as the run left it.
Result RunCommandFile(const Cell& cell) {
    InProcess run(cell);
    run.ConnectLan(cell);
    CGivenFiles file(cell.inputPath);
    CommandFileContext context{run.core.Link(), run.core.TransactionMutex(), run.ui, run.ui, file};
    context.errorLogPath = cell.outputPath;
    const CommandFileResult result = CCommandFileRunner(context).Run();
    const bool clean = result.outcome == CommandFileOutcome::Completed && result.errors == 0;
    return run.Finish(clean, RegularFileText(cell.outputPath));
}

// The error log is rewritten by every run, line by line as the run goes:
// afterwards it is the whole report of this run, ending with its count of
// errors, whether the run completed or not.
void ErrorLogWhole(const Cell& cell, const Result& result) {
    const std::string now = RegularFileText(cell.outputPath);
    EXPECT_EQ(result.output, now);
    // A command file that could not be opened never started a run.
    if (result.messages.find("Error:Failed to open ") != std::string::npos)
        return;
    EXPECT_TRUE(now.ends_with(" Errors logged in the ErrorLog.txt\n"))
        << "the error log does not end with its count:\n"
        << now;
    EXPECT_NE(std::string::npos, now.find(result.succeeded ? "Command language test completed.\n"
                                                           : "Command language test "))
        << now;
    NoTemporaryFiles(cell);
}

} // namespace

std::vector<OperationRow> CommandFileRows() {
    // The error log is a report beside the run: one it cannot write is said
    // in the message log and the run goes on without it.
    OperationRow run{"command file",
                     NeedsReplies | NeedsSeveral | NeedsSettingsFile | NeedsInputFile |
                         NeedsOutputFile,
                     LineTransports,
                     4,
                     RunCommandFile,
                     {{"output_pipe", Expect::GoesOn},
                      {"output_device", Expect::GoesOn},
                      {"output_read_only", Expect::GoesOn},
                      {"output_is_input", Expect::GoesOn},
                      {"output_folder", Expect::GoesOn},
                      {"output_missing_folder", Expect::GoesOn},
                      // A file without a tag it knows is a run of no commands.
                      {"input_empty", Expect::Bounded},
                      {"input_garbage", Expect::Bounded}}};
    run.input = InputFile{"check.xml", CheckFile};
    run.outputName = "ErrorLog.txt";
    run.checkFiles = ErrorLogWhole;
    return {run};
}

} // namespace faults
