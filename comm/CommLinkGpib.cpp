// A GPIB transaction through the GPIB library: the device opened (and locked)
// on first use, the command written, the reply read in pieces up to the read
// that times out, or up to END when the user chose so; a table line by line.

#include <cerrno>
#include <cstring>
#include <string>

#include "base/UserInterface.h"
#include "comm/CommLink.h"
#include "comm/CommLinkParts.h"
#include "comm/CommandLine.h"
#include "comm/GpibLibrary.h"

using namespace commlink;

bool CCommLink::DiscardLateGpibReply(std::string& discarded) {
    // Opening the device would clear it anyway; only a held device can hold a late reply.
    if (gpibDescriptor_ <= 0)
        return false;
    const auto deadline = Clock::now() + ReplyDeadlineFactor * timeouts_.GpibRead();
    std::string piece;
    while (ReadGPIB(piece) == Link::Success && !piece.empty()) {
        discarded += piece;
        if (piece.find('\n') != std::string::npos || Clock::now() >= deadline ||
            discarded.size() > tableLimit_)
            break;
    }
    return !discarded.empty();
}

LinkResult CCommLink::RunGpib(const std::string* command, std::string* reply, bool quiet) {
    if (command && WriteGPIB(*command) != Link::Success)
        return Fail(Link::GpibFailure,
                    lastGpibReport_.empty() ? "the GPIB write failed" : lastGpibReport_);
    if (!reply || !command || !IsQueryLine(*command))
        return Link::Success;
    // The reply is every piece up to the read that times out, or, when the
    // user chose so, up to the piece that came with END.
    reply->clear();
    const auto limit = ReplyDeadlineFactor * timeouts_.GpibRead();
    const auto deadline = Clock::now() + limit;
    for (;;) {
        std::string piece;
        bool ended = false;
        const bool read = ReadGPIB(piece, &ended) == Link::Success;
        if (read && reply->size() + piece.size() <= tableLimit_ && Clock::now() < deadline) {
            if (piece.empty())
                break;
            *reply += piece;
            if (ended && gpibEndsReplies_) {
                // Without a read that times out, what the device still holds
                // (a reply sent twice) is cleared as that read would clear it.
                ClearGpibDevice();
                break;
            }
            continue;
        }
        // A device that goes on sending is cleared, so that it stops.
        ClearGpibDevice();
        lateReplyPossible_ = gpibDescriptor_ > 0;
        if (!quiet)
            CommunicationError();
        *reply += piece;
        return Fail(Link::GpibFailure, read ? Unfinished(*reply, limit) : "the GPIB read failed");
    }
    // No answer at all is an empty reply; a reply cut short of its line end fails.
    if (reply->empty()) {
        lateReplyPossible_ = gpibDescriptor_ > 0;
        lastFailure_ = NoReplyCame;
        return Link::Success;
    }
    if (!EndAtLineEnd(*reply)) {
        lateReplyPossible_ = gpibDescriptor_ > 0;
        if (!quiet)
            CommunicationError();
        return Fail(Link::GpibFailure, "the reply ended without its line end");
    }
    return Link::Success;
}

LinkResult CCommLink::ReadTableGpib(const TableRead& read, std::string& reply) {
    if (WriteGPIB(read.command) != Link::Success)
        return Link::GpibFailure;
    reply.clear();
    const auto deadline = Clock::now() + read.limit;
    int lines = 0;
    for (;;) {
        std::string piece;
        if (ReadGPIB(piece) != Link::Success || reply.size() + piece.size() > tableLimit_) {
            CommunicationError();
            return Link::GpibFailure;
        }
        if (piece.empty() && lines == 0) {
            // The instrument sent nothing at all: no table, not an empty one.
            lateReplyPossible_ = gpibDescriptor_ > 0;
            return Fail(Link::GpibFailure, NoReplyCame);
        }
        if (piece.empty())
            return lines;
        if (piece.front() == ';') {
            // What follows the ";" (a table sent twice) is no part of it.
            ClearGpibDevice();
            return lines;
        }
        if (Clock::now() >= deadline) {
            ClearGpibDevice();
            return TableTooSlow(read);
        }
        reply += piece;
        reply += '\n';
        ++lines;
        Progress().SetProgress(ProgressPercent(lines, read.expectedLines));
    }
}

CGpibLibrary& CCommLink::Gpib() {
    if (!gpib_)
        gpib_ = std::make_unique<CGpibLibrary>(CGpibLibrary::LibraryName(settings_));
    return *gpib_;
}

LinkResult CCommLink::OpenGPIB() {
    if (gpibDescriptor_ > 0 && gpibOpenAddress_ == gpibAddr_)
        return Link::Success;
    if (gpibDescriptor_ > 0)
        GpibOffline();
    // Another program of ours on the same device would read our replies.
    std::string busy;
    if (!gpibLock_.Acquire("gpib0-" + std::to_string(gpibAddr_), busy)) {
        ReportGpibReason("GPIB0::" + std::to_string(gpibAddr_) + "::INSTR: " + busy);
        return Link::GpibFailure;
    }
    CGpibLibrary& gpib = Gpib();
    gpibOpenAddress_ = gpibAddr_;
    gpibDescriptor_ = gpib.ibdev(0, gpibAddr_, 0, timeouts_.gpibTimeoutCode, 1, 0);
    if (gpibDescriptor_ < 0 || (gpib.Status() & GpibErr)) {
        ReportGpibFailure(gpib);
        GpibOffline();
        return Link::GpibFailure;
    }
    if (gpib.ibclr(gpibDescriptor_) & GpibErr) {
        ReportGpibFailure(gpib);
        GpibOffline();
        return Link::GpibFailure;
    }
    lastGpibReport_.clear();
    return Link::Success;
}

// Why the device could not be opened, in the message log: once per reason, not
// on every transaction that fails the same way.
void CCommLink::ReportGpibFailure(const CGpibLibrary& gpib) {
    std::string reason;
    if (!gpib.LoadError().empty())
        reason = "GPIB library: " + gpib.LoadError();
    else if (gpib.Error() == GpibEdvr && (gpib.Count() == EACCES || gpib.Count() == EPERM))
        reason = "GPIB board 0: permission denied. The user must be in the 'gpib' group "
                 "(sudo usermod -aG gpib $USER, then log in again).";
    else if (gpib.Error() == GpibEdvr && gpib.Count() > 0)
        reason = "GPIB board 0: " + std::string(std::strerror(static_cast<int>(gpib.Count())));
    else if (gpib.Error() == GpibEnol)
        reason = "GPIB: no instrument answers at address " + std::to_string(gpibAddr_);
    else
        return;
    ReportGpibReason(reason);
}

void CCommLink::ReportGpibReason(const std::string& reason) {
    if (reason == lastGpibReport_)
        return;
    lastGpibReport_ = reason;
    log_.AppendLog(reason + "\n");
}

LinkResult CCommLink::WriteGPIB(const std::string& command) {
    gpibLost_ = true;
    if (OpenGPIB() != Link::Success)
        return Link::GpibFailure;
    CGpibLibrary& gpib = Gpib();
    if (gpib.ibwrt(gpibDescriptor_, command.data(), static_cast<long>(command.size())) & GpibErr) {
        ReportGpibFailure(gpib);
        GpibOffline();
        return Link::GpibFailure;
    }
    gpibLost_ = false;
    return Link::Success;
}

LinkResult CCommLink::ReadGPIB(std::string& text, bool* ended) {
    text.clear();
    if (ended)
        *ended = false;
    if (OpenGPIB() != Link::Success)
        return Link::GpibFailure;
    char buffer[PieceSize];
    CGpibLibrary& gpib = Gpib();
    int status = gpib.ibrd(gpibDescriptor_, buffer, static_cast<long>(sizeof buffer));
    if (!(status & GpibErr)) {
        long count = std::clamp<long>(gpib.Count(), 0, static_cast<long>(sizeof buffer));
        text.assign(buffer, static_cast<std::size_t>(count));
        if (ended)
            *ended = (status & GpibEnd) != 0;
        return Link::Success;
    }
    // Nothing more within the time-out: the reply is over; clear the device for the next.
    if ((status & GpibTimo) && !(gpib.ibclr(gpibDescriptor_) & GpibErr))
        return Link::Success;
    GpibOffline();
    return Link::GpibFailure;
}

void CCommLink::ClearGpibDevice() {
    if (gpibDescriptor_ > 0 && (Gpib().ibclr(gpibDescriptor_) & GpibErr))
        GpibOffline();
}

void CCommLink::GpibOffline() {
    if (gpibDescriptor_ >= 0 && gpib_)
        gpib_->ibonl(gpibDescriptor_, 0);
    gpibDescriptor_ = -1;
    gpibOpenAddress_ = -1;
    gpibLock_.Release();
}
