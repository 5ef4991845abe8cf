// A LAN transaction over the instrument's TCP connection: the reply read in
// pieces until the piece of 0 bytes that ends it; a table through the
// connection's own table read.

#include <string>
#include <thread>

#include "base/UserInterface.h"
#include "comm/CommLink.h"
#include "comm/CommLinkParts.h"
#include "comm/CommandLine.h"

using namespace commlink;

LinkResult CCommLink::RunLan(const std::string* command, std::string* reply, bool quiet) {
    if (command) {
        int status = lan_.Send(command->data(), command->size(), 1);
        if (status == 1) {
            if (!quiet)
                CommunicationError();
            return Fail(Link::LanFailure, lan_.LastError());
        }
        if (status == 2)
            return Fail(Link::LanRefused, lan_.LastError());
    }
    if (!reply || !command || !IsQueryLine(*command))
        return Link::Success;
    reply->clear();
    const auto limit = ReplyDeadlineFactor * timeouts_.lanRead;
    const auto deadline = Clock::now() + limit;
    for (;;) {
        char piece[PieceSize];
        piece[0] = '\0';
        std::size_t length = 0;
        // The piece's length, not its terminating zero, tells where it ends:
        // a NUL byte inside a reply must not cut it short.
        const bool read = lan_.Read(piece, sizeof piece, &length) != 0;
        if (read && length == 0)
            return Link::Success;
        if (read)
            reply->append(piece, length);
        if (!read || reply->size() > tableLimit_ || Clock::now() >= deadline) {
            lateReplyPossible_ = lan_.IsConnected();
            if (!quiet)
                CommunicationError();
            return Fail(Link::LanFailure, read ? Unfinished(*reply, limit) : lan_.LastError());
        }
    }
}

LinkResult CCommLink::ReadTableLan(const TableRead& read, std::string& reply) {
    if (!lan_.Get_Table(read.command.data(), read.command.size())) {
        CommunicationError();
        return Link::LanFailure;
    }
    int count = 0;
    if (!lan_.Get_Table_In_Progress() || !lan_.Get_Received_Counter(&count))
        return Link::LanFailure;
    // The whole table, up to its ";" line, however slowly its lines come,
    // within the table's deadline.
    const auto deadline = Clock::now() + read.limit;
    while (!lan_.Table_Finished()) {
        if (Clock::now() >= deadline) {
            lan_.StopTable();
            return TableTooSlow(read);
        }
        if (pump_)
            pump_->ProcessEvents();
        Progress().SetProgress(ProgressPercent(count, read.expectedLines));
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (!lan_.Get_Received_Counter(&count))
            return Link::LanFailure;
    }
    Progress().SetProgress(ProgressPercent(count, read.expectedLines));
    if (!lan_.Table_Ready() || !lan_.Get_Received_Buffer(reply) ||
        !lan_.Get_Received_Counter(&count))
        return Link::LanFailure;
    return count;
}
