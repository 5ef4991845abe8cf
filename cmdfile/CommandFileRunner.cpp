#include "cmdfile/CommandFileRunner.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

#include "base/AbsolutePath.h"
#include "base/BusyWait.h"
#include "base/DecimalText.h"
#include "base/FileChooser.h"
#include "base/OverwriteRefusal.h"
#include "base/TransactionMutex.h"
#include "base/UserInterface.h"
#include "comm/CommLink.h"

namespace {

std::string Upper(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// A PAUSE element's text as a decimal number of milliseconds: leading blanks
// skipped, digits up to the first other character, none gives 0. A negative
// number waits nothing.
std::chrono::milliseconds PauseLength(const std::string& text) {
    return std::chrono::milliseconds(std::max(0, LeadingInteger(text)));
}

// A reply as the logs show it: without the line end the instrument ended it
// with, so that each "Received:" stays one line for a script reading the logs.
std::string WithoutLineEnd(std::string reply) {
    while (!reply.empty() && (reply.back() == '\r' || reply.back() == '\n'))
        reply.pop_back();
    return reply;
}

} // namespace

CommandFileResult CCommandFileRunner::Run() {
    std::optional<std::string> chosen =
        context_.files.ChooseOpenFile("xml", "XML Files (*.xml)|*.xml||");
    // Opened once the command file is known: an error log at its path would
    // otherwise empty the command file before it is read.
    errorLogLost_ = false;
    OpenErrorLog(chosen ? *chosen : std::string());
    if (!chosen) {
        errorLog_.reset();
        return {CommandFileOutcome::Cancelled, 0};
    }
    if (!reader_.Open(*chosen)) {
        Log("Error:Failed to open " + *chosen + " \n");
        errorLog_.reset();
        return {CommandFileOutcome::NotOpened, 0};
    }
    Wait(StepWait);
    errors_ = tagNumber_ = 0;
    keepTag_ = false;
    item_.clear();
    group_.clear();
    reply_.clear();

    for (;;) {
        Step step = Step::Next;
        {
            std::unique_lock lock(context_.transactionMutex, std::try_to_lock);
            // Held elsewhere: the cycle is tried again once the mutex is free,
            // without the end test (the item is not empty after a cycle that
            // goes on; before the first tag it would end the run as completed
            // without having read anything). It waits for the mutex rather than
            // trying again at once, so that on the window's thread the windows
            // keep painting meanwhile.
            if (!lock.owns_lock() && !lock.try_lock_for(TransactionLockWait))
                continue;
            step = Cycle();
        }
        if (step == Step::Aborted) {
            Finish("Command language test aborted.\n");
            return {CommandFileOutcome::Aborted, errors_};
        }
        if (step == Step::Completed || item_.empty()) {
            Finish("Command language test completed.\n");
            return {CommandFileOutcome::Completed, errors_};
        }
    }
}

// The error log is a report beside the run: a path it cannot be written to
// is said in the message log and the run goes on without it. What stands at
// the path is never waited on (a pipe), written through (a device) nor
// emptied when it is read-only or the command file itself.
void CCommandFileRunner::OpenErrorLog(const std::string& commandFile) {
    errorLog_.reset();
    const std::string& path = context_.errorLogPath;
    std::string why;
    struct stat existing {};
    switch (::stat(path.c_str(), &existing) == 0 ? CheckOverwrite(existing, commandFile)
                                                 : OverwriteRefusal::None) {
    case OverwriteRefusal::NotRegular:
        why = "not a regular file (a device, a pipe or a folder)";
        break;
    case OverwriteRefusal::ReadOnly:
        why = "the file is read-only";
        break;
    case OverwriteRefusal::SameAsInput:
        why = "this is the command file being read";
        break;
    case OverwriteRefusal::None:
        break;
    }
    if (why.empty()) {
        const int fd =
            ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC, 0666);
        if (fd >= 0)
            errorLog_.reset(::fdopen(fd, "w"));
        if (!errorLog_) {
            why = std::strerror(errno);
            if (fd >= 0)
                ::close(fd);
        }
    }
    if (!why.empty()) {
        errorLogLost_ = true;
        Log("Error:Failed to create " + AbsolutePath(path) + ": " + why + "\n");
    }
}

CCommandFileRunner::Step CCommandFileRunner::Cycle() {
    if (keepTag_) {
        keepTag_ = false;
    } else {
        item_ = Upper(reader_.ReadTag());
        ++tagNumber_;
    }
    if (item_ == "COMMAND")
        return Send("Command");
    if (item_ == "CALCUR")
        return Send("CalCur");
    if (item_ == "QUERY")
        return Query();
    if (item_ == "PAUSE") {
        item_ = reader_.ReadText();
        Wait(PauseLength(item_));
    } else if (item_ == "MODEL") {
        Log("Command for Model " + reader_.ReadText() + "\n");
    } else if (item_ == "/TRANSACTIONS") {
        return Step::Completed;
    } else if (!CommandFileReader::IsClosingTag(item_) && !CommandFileReader::IsComment(item_)) {
        group_ = item_;
        tagNumber_ = 0;
    }
    return Step::Next;
}

CCommandFileRunner::Step CCommandFileRunner::Send(const char* logLabel) {
    item_ = reader_.ReadText();
    if (context_.link.Transact(&item_, nullptr) != Link::Success)
        return Abort("Error:Not able to send \"" + Where(":tag ") + item_ + "\" command \n");
    Log(group_ + ": " + logLabel + ":" + item_ + "\n");
    Wait(StepWait);
    return Step::Next;
}

// The reply is not emptied first: a QUERY without "?" reads nothing and is
// checked against the reply of the query before it.
CCommandFileRunner::Step CCommandFileRunner::Query() {
    item_ = reader_.ReadText();
    if (context_.link.Transact(&item_, &reply_) != Link::Success)
        return Abort("Error:Not able to send \"" + Where(":tag ") + item_ + "\" command \n");
    Log(group_ + ": Query:" + item_ + "\n");
    query_ = item_;
    Wait(StepWait);
    if (reply_.empty())
        return Abort("Error:No returned string from device for \"" + Where(":tag ") + query_ +
                     "\" from target\n");
    Log("Received:" + WithoutLineEnd(reply_) + "\n");

    item_ = Upper(reader_.ReadTag());
    ++tagNumber_;
    if (item_ == "FLOATRESPONSE")
        CheckFloatResponse();
    else if (item_ == "RESPONSE")
        CheckResponse();
    else
        keepTag_ = true;
    return Step::Next;
}

// Within 5 % of the expected value's magnitude (an expected 0 needs the exact
// value). A reply that is not a number, NaN included, never passes.
void CCommandFileRunner::CheckFloatResponse() {
    const std::string expected = reader_.ReadText();
    item_ = expected;
    Log("Expected:" + expected + "\n");
    float received = 0.0f;
    if (!ScanFloat(reply_, received)) {
        ReportMismatch("Error:Unable to convert the response to float \"" + Where(":tag ") +
                           query_ + "\"\n",
                       expected);
        return;
    }
    float wanted = 0.0f;
    if (!ScanFloat(expected, wanted))
        wanted = 0.0f;
    const float difference = std::fabs(wanted - received);
    if (!(static_cast<double>(difference) <= 0.05 * std::fabs(static_cast<double>(wanted))))
        ReportMismatch("Error:The return string for query \"" + Where(": tag ") + query_ + "\"\n",
                       expected);
}

// The reply upper-cased and without its spaces, and without the line end the
// instrument ended it with, against the expected text upper-cased.
void CCommandFileRunner::CheckResponse() {
    reply_ = Upper(std::move(reply_));
    const std::string expected = reader_.ReadText();
    item_ = expected;
    context_.standardOutput.AppendLog("Expected:" + expected + "\n");
    const std::string wanted = Upper(expected);
    std::string received;
    for (char c : reply_)
        if (c != ' ')
            received += c;
    while (!received.empty() && (received.back() == '\r' || received.back() == '\n'))
        received.pop_back();
    if (received != wanted)
        ReportMismatch("Error:The returned string for query \"" + Where(": tag ") + query_ + "\"\n",
                       wanted);
}

void CCommandFileRunner::ReportMismatch(const std::string& errorLine, const std::string& expected) {
    ToBothLogs(errorLine);
    ToBothLogs("Received:" + WithoutLineEnd(reply_) + ",Expected:" + expected + "\n");
    ++errors_;
}

CCommandFileRunner::Step CCommandFileRunner::Abort(const std::string& errorLine) {
    ToBothLogs(errorLine);
    return Step::Aborted;
}

// The count line says where the errors are, and so it is written into the
// error log before the message log is told.
void CCommandFileRunner::Finish(const char* endLine) {
    ToBothLogs(endLine);
    const std::string count = std::to_string(errors_) + " Errors logged in the ErrorLog.txt\n";
    ToErrorLog(count);
    Log(errorLogLost_ ? std::to_string(errors_) + " Errors, not logged: " +
                            AbsolutePath(context_.errorLogPath) + " could not be written\n"
                      : count);
    reader_.Close();
    errorLog_.reset();
}

void CCommandFileRunner::ToBothLogs(const std::string& line) {
    Log(line);
    ToErrorLog(line);
}

void CCommandFileRunner::ToErrorLog(const std::string& line) {
    if (!errorLog_)
        return;
    if (std::fwrite(line.data(), 1, line.size(), errorLog_.get()) != line.size() ||
        std::fflush(errorLog_.get()) != 0) {
        errorLogLost_ = true;
        errorLog_.reset();
    }
}

void CCommandFileRunner::Log(const std::string& line) {
    context_.log.AppendLog(line);
}

void CCommandFileRunner::Wait(std::chrono::milliseconds duration) {
    // On the window's thread the log keeps drawing the lines of the run.
    SleepPumped(duration);
}

// "GROUP:tag 3: " or "GROUP: tag 3: ", before the command or query of an error line.
std::string CCommandFileRunner::Where(const char* separator) const {
    return group_ + separator + std::to_string(tagNumber_) + ": ";
}
