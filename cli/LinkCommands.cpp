#include "cli/LinkCommands.h"

#include <cstdio>
#include <mutex>

#include "app/InstrumentPort.h"
#include "app/VantorCore.h"
#include "base/SettingsStore.h"
#include "cli/ExitStatus.h"
#include "comm/CommLink.h"
#include "comm/CommandLine.h"

namespace {

// Reads one line of standard input without its line end (LF, or CR LF);
// longer lines are cut at `limit` characters (far beyond any command the link
// accepts).
bool ReadLine(std::string& line, std::size_t limit = 4096) {
    line.clear();
    int c;
    while ((c = std::getchar()) != EOF && c != '\n')
        if (line.size() < limit)
            line += static_cast<char>(c);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return c != EOF || !line.empty();
}

// The reason a transaction failed, which the link's code alone does not tell.
std::string Reason(CVantorCore& core) {
    const std::string& why = core.Link().LastFailure();
    return why.empty() ? std::string() : " (" + why + ")";
}

void ReportFailure(CVantorCore& core, const char* what, const std::string& command,
                   LinkResult result) {
    std::fprintf(stderr, "tundrix-cli: %s \"%s\" failed: LinkResult %d%s\n", what, command.c_str(),
                 result, Reason(core).c_str());
}

void ReportNoReply(const char* what, const std::string& command) {
    std::fprintf(stderr, "tundrix-cli: %s \"%s\" got no reply from the instrument\n", what,
                 command.c_str());
}

int RunTransaction(CVantorCore& core, const char* what, const std::string& command,
                   bool readReply) {
    if (auto problem = CommandLineProblem(command)) {
        std::fprintf(stderr, "tundrix-cli: %s: %s; nothing was sent\n", what, problem->c_str());
        return ExitUsage;
    }
    std::unique_lock lock(core.TransactionMutex(), std::defer_lock);
    if (!lock.try_lock_for(CVantorCore::LockWait)) {
        ReportLinkBusy();
        return ExitFailed;
    }
    std::string reply;
    // A script that asked a question needs its answer: no reply is a failure.
    LinkResult result =
        readReply ? core.Link().Query(command, reply) : core.Link().Transact(command, nullptr);
    if (result != Link::Success) {
        ReportFailure(core, what, command, result);
        return ExitFailed;
    }
    std::fwrite(reply.data(), 1, reply.size(), stdout);
    return 0;
}

} // namespace

int OpenPort(CVantorCore& core, CSettingsStore& settings, const std::optional<std::string>& port) {
    const PortOpening opening = OpenInstrumentPort(core, settings, port);
    if (opening.result == PortOpening::Refused) {
        std::fprintf(stderr, "tundrix-cli: --port: %s\n", opening.error.c_str());
        return ExitUsage;
    }
    return opening.result == PortOpening::Opened ? 0 : ExitFailed;
}

int RunQuery(CVantorCore& core, const std::string& command) {
    return RunTransaction(core, "query", command, true);
}

int RunSend(CVantorCore& core, const std::string& command) {
    return RunTransaction(core, "send", command, false);
}

// The utility's identification, without dialogs: model text, code and features.
int RunIdentify(CVantorCore& core) {
    if (!core.Identify()) {
        std::fprintf(stderr, "tundrix-cli: No Device\n");
        return ExitFailed;
    }
    const CFeatureTable& features = core.Features();
    std::printf("Model: %s\n", core.ShortcutBar().Get().modelText.c_str());
    std::printf("Model code: %d%s\n", core.ModelCode(),
                features.IsModelKnown() ? "" : " (not recognised)");
    std::printf("Model class: %d\nInputs: %d\nAnalog kind: %d\n", features.ModelClass(),
                features.InputCount(), features.AnalogKind());
    return 0;
}

int RunTerminal(CVantorCore& core) {
    int status = 0;
    std::string line;
    for (int number = 1; ReadLine(line); ++number) {
        if (auto problem = CommandLineProblem(line)) {
            std::fprintf(stderr, "tundrix-cli: line %d: %s; it was not sent\n", number,
                         problem->c_str());
            status = ExitFailed;
            continue;
        }
        std::string reply;
        auto result = core.TerminalCommand(line, &reply);
        if (!result)
            continue;
        if (*result != Link::Success) {
            ReportFailure(core, "command", line, *result);
            status = ExitFailed;
            // Every later line would fail the same way, and a script must not
            // believe that they were sent.
            if (core.Link().ConnectionLost()) {
                std::fprintf(stderr, "tundrix-cli: the connection to the instrument is lost; "
                                     "the remaining lines are not sent\n");
                return ExitFailed;
            }
        } else if (IsQueryLine(line) && reply.empty()) {
            ReportNoReply("command", line);
            status = ExitFailed;
        }
    }
    return status;
}
