#include "app/VantorCore.h"

#include "app/UserInterface.h"
#include "comm/CommandLine.h"

CVantorCore::CVantorCore(CSettingsStore& settings, IMessageBoxes& boxes, IMessageLog& log,
                         ITransferProgress& progress)
    : settings_(settings), log_(log), link_(settings, boxes, log, progress) {}

std::optional<LinkResult> CVantorCore::TerminalCommand(std::string_view command) {
    if (command.empty())
        return std::nullopt;
    std::unique_lock lock(transactionMutex_, std::defer_lock);
    if (!lock.try_lock_for(LockWait))
        return std::nullopt;
    const std::string line(command);
    if (IsQueryLine(line)) {
        log_.AppendLog("\nquery:" + line);
        std::string reply;
        LinkResult result = link_.TransactQuiet(line, &reply);
        log_.AppendLog("\nresponse:" + reply + "\n");
        return result;
    }
    log_.AppendLog("\ncommand:" + line + "\n");
    return link_.TransactQuiet(line, nullptr);
}
