#pragma once

#include <cstddef>
#include <string>
#include <string_view>

class IMessageLog;

// The file of a data logging run. Every write opens it for appending and closes
// it again, so that the user can look at the file while the run goes on; every
// line feed is stored as CR LF.
//
// Text that cannot be written (the file does not open, the disk is full) is
// kept, in order, and written before anything else the next time the file
// opens: no row is lost because a sample met a file that was briefly locked or
// on a disconnected share. The message log says so once when writing fails and
// once when it works again. A write either lands whole or leaves the file as it
// was. Not thread-safe: CLoggingState serialises its users.
class CDataLogFile {
public:
    // Kept text beyond this (hours of rows at the fastest interval) is lost, and said so once.
    static constexpr std::size_t MaxPending = std::size_t{64} * 1024 * 1024;

    explicit CDataLogFile(IMessageLog& log) : log_(log) {}

    // A new file at `path` holding `text`, replacing any file there; false when
    // it cannot be created (`error` names the cause). Kept text of an earlier
    // file is dropped.
    bool Create(const std::string& path, std::string_view text, std::string* error = nullptr);
    // Appends `text` after whatever is kept; false when it is kept for later.
    bool Append(std::string_view text);
    // Bytes (CR LF included) waiting for the file to open again.
    std::size_t PendingBytes() const { return pending_.size(); }
    // Forgets what is kept; the number of bytes that were lost.
    std::size_t DropPending();
    const std::string& Path() const { return path_; }

private:
    bool Flush();

    IMessageLog& log_;
    std::string path_;
    std::string pending_;
    bool failing_ = false;
    bool overflowReported_ = false;
};
