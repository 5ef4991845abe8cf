#include "logging/DataLogFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/AtomicFile.h"
#include "base/UserInterface.h"
#include "logging/LogFormat.h"

namespace {

// Writes all of `bytes`, or puts the file back to `size` and fails.
bool WriteAll(int fd, std::string_view bytes, off_t size) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int cause = n < 0 ? errno : ENOSPC;
            // Half a row would leave the file unreadable for a spreadsheet.
            [[maybe_unused]] const int ignored = ::ftruncate(fd, size);
            errno = cause;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

bool CDataLogFile::Create(const std::string& path, std::string_view text, std::string* error) {
    path_ = path;
    pending_.clear();
    failing_ = false;
    overflowReported_ = false;
    return WriteFileAtomically(path, ToFileText(text), error);
}

bool CDataLogFile::Append(std::string_view text) {
    const std::string bytes = ToFileText(text);
    if (pending_.size() + bytes.size() > MaxPending) {
        if (!overflowReported_)
            log_.AppendLog("The data log file " + path_ +
                           " has not opened for too long: further lines are lost.\n");
        overflowReported_ = true;
        return false;
    }
    pending_ += bytes;
    return Flush();
}

std::size_t CDataLogFile::DropPending() {
    const std::size_t lost = pending_.size();
    pending_.clear();
    return lost;
}

bool CDataLogFile::Flush() {
    if (pending_.empty())
        return true;
    const int fd = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    struct stat info {};
    bool written = false;
    int cause = 0;
    if (fd >= 0) {
        written = ::fstat(fd, &info) == 0 && WriteAll(fd, pending_, info.st_size);
        cause = errno;
        if (::close(fd) != 0 && written) {
            written = false;
            cause = errno;
        }
    } else {
        cause = errno;
    }
    if (!written) {
        if (!failing_)
            log_.AppendLog("Cannot write to the data log file " + path_ + " (" +
                           std::strerror(cause) +
                           "): its rows are kept and written once it opens again.\n");
        failing_ = true;
        return false;
    }
    pending_.clear();
    if (failing_)
        log_.AppendLog("The data log file " + path_ + " is written again" +
                       (overflowReported_ ? "; the lines said to be lost are missing.\n"
                                          : "; no row was lost.\n"));
    failing_ = false;
    overflowReported_ = false;
    return true;
}
