// An RS232 transaction: the command, the instrument's fixed wait, then reads
// until the reply's line end; a table up to its ";" line.

#include <string>

#include "base/UserInterface.h"
#include "comm/CommLink.h"
#include "comm/CommLinkParts.h"
#include "comm/CommandLine.h"
#include "comm/SerialPort.h"

using namespace commlink;

namespace {

std::size_t CountLineEnds(const std::string& text, std::size_t from) {
    std::size_t count = 0;
    for (std::size_t i = text.find("\r\n", from); i != std::string::npos;
         i = text.find("\r\n", i + 2))
        ++count;
    return count;
}

} // namespace

LinkResult CCommLink::RunSerial(const std::string* command, std::string* reply, bool quiet) {
    if (!IsSerialOpen())
        return Fail(Link::SerialFailure, "the serial port is not open");
    if (command) {
        // A reply that came after an earlier read gave up must not answer this line.
        serial_->DiscardInput();
        if (!serial_->WriteLine(*command)) {
            CommunicationError();
            return Fail(Link::SerialFailure, serial_->HungUp() ? "the line was hung up"
                                                               : "the line did not take the "
                                                                 "command");
        }
    }
    if (!reply)
        return Link::Success;
    const auto start = Clock::now();
    serial_->Idle(timeouts_.serialReplyWait);
    if (!command || !IsQueryLine(*command))
        return Link::Success;
    reply->clear();
    // The reply is what the first read delivers, and, when that has no line end
    // yet, what further reads deliver until it has.
    const auto limit = ReplyDeadlineFactor * (timeouts_.serialReplyWait + serial_->ReadTimeout());
    bool read = serial_->ReadChunk(*reply) != 0;
    std::string piece;
    while (read && reply->find('\n') == std::string::npos && reply->size() <= tableLimit_ &&
           Clock::now() < start + limit) {
        read = serial_->ReadChunk(piece) != 0;
        if (read)
            *reply += piece;
    }
    if (!EndAtLineEnd(*reply)) {
        lateReplyPossible_ = !serial_->HungUp();
        if (!quiet)
            CommunicationError();
        return Fail(Link::SerialFailure,
                    serial_->HungUp() ? "the line was hung up" : Unfinished(*reply, limit));
    }
    return Link::Success;
}

LinkResult CCommLink::ReadTableSerial(const TableRead& read, std::string& reply) {
    if (!IsSerialOpen())
        return Link::SerialFailure;
    serial_->DiscardInput();
    if (!serial_->WriteLine(read.command))
        return Link::SerialFailure;
    reply.clear();
    const auto deadline = Clock::now() + read.limit;
    serial_->Idle(timeouts_.serialReplyWait);
    // The instrument frames a table with four line ends of its own; it ends with ";".
    long long lineEnds = 0;
    std::size_t end = std::string::npos;
    for (;;) {
        std::string piece;
        if (!serial_->ReadChunk(piece)) {
            // The ";" has come and its line end never did: the table as it is.
            if (end != std::string::npos)
                break;
            CommunicationError();
            return Link::SerialFailure;
        }
        std::size_t scanFrom = reply.empty() ? 0 : reply.size() - 1;
        reply += piece;
        if (reply.size() > tableLimit_) {
            CommunicationError();
            return Link::SerialFailure;
        }
        // The table ends with its ";" line: what came with it after that line
        // (a reply sent twice) is not part of this table. A ";" that came on
        // its own waits for the line end still on the way.
        if (end == std::string::npos)
            end = reply.find(';', scanFrom);
        bool whole = false;
        if (end != std::string::npos) {
            const std::size_t lineEnd = reply.find("\r\n", end);
            if (lineEnd != std::string::npos) {
                reply.resize(lineEnd + 2);
                whole = true;
            }
        }
        lineEnds += static_cast<long long>(CountLineEnds(reply, scanFrom));
        Progress().SetProgress(ProgressPercent(lineEnds - 4, read.expectedLines));
        if (whole)
            break;
        if (Clock::now() >= deadline)
            return TableTooSlow(read);
        if (end == std::string::npos)
            serial_->Idle(timeouts_.serialReplyWait);
    }
    // A table of fewer lines than the frame (a PID table of one entry) is a
    // table all the same.
    return static_cast<LinkResult>(std::max(0LL, lineEnds - 4));
}
