#pragma once

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "cmdfile/CommandFileReader.h"

class CCommLink;
class CTransactionMutex;
class IFileChooser;
class IMessageLog;

// What a command file run needs from the program that starts it.
struct CommandFileContext {
    CCommLink& link;
    CTransactionMutex& transactionMutex;
    IMessageLog& log;            // the main view's message log
    IMessageLog& standardOutput; // where the expected text of a RESPONSE goes
    IFileChooser& files;
    std::string errorLogPath = "ErrorLog.txt";
};

enum class CommandFileOutcome {
    Cancelled, // the file dialog was cancelled
    NotOpened, // the chosen file could not be opened
    Completed,
    Aborted, // a send failure or an empty reply
};

struct CommandFileResult {
    CommandFileOutcome outcome = CommandFileOutcome::Cancelled;
    int errors = 0; // reply checks that failed
};

// "Send Command File": runs an XML command file against the instrument as a
// test of its command language. Each tag is worked in a cycle of its own that
// holds the transaction mutex; failed reply checks are counted and written to
// the message log and to the error log, which every run rewrites. When the
// error log could not be written, the run's last line says so instead of
// counting the errors into it.
class CCommandFileRunner {
public:
    static constexpr std::chrono::milliseconds StepWait{100};

    explicit CCommandFileRunner(const CommandFileContext& context) : context_(context) {}
    CommandFileResult Run();

private:
    enum class Step { Next, Completed, Aborted };
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    void OpenErrorLog(const std::string& commandFile);
    Step Cycle();
    Step Send(const char* logLabel);
    Step Query();
    void CheckFloatResponse();
    void CheckResponse();
    void Pause();
    void StartGroup();
    // The error line and its "Received:..,Expected:.." line, into both logs.
    void ReportMismatch(const std::string& errorLine, const std::string& expected);
    Step Abort(const std::string& errorLine);
    void Finish(const char* endLine);
    void ToBothLogs(const std::string& line);
    // A line that cannot be written marks the error log lost; nothing more goes in.
    void ToErrorLog(const std::string& line);
    void Log(const std::string& line);
    void Wait(std::chrono::milliseconds duration);
    std::string Where(const char* separator) const;

    const CommandFileContext& context_;
    CommandFileReader reader_;
    std::unique_ptr<std::FILE, FileCloser> errorLog_;
    bool errorLogLost_ = false; // not created, or a line could not be written
    std::string item_;          // the tag or element text read last
    std::string reply_;         // the last reply of the instrument, kept from query to query
    std::string group_;
    std::string query_;
    int tagNumber_ = 0;
    int errors_ = 0;
    bool keepTag_ = false;
};
