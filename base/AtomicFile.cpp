#include "base/AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int NameAttempts = 100;

bool WriteAll(int fd, std::string_view content) {
    while (!content.empty()) {
        ssize_t written = ::write(fd, content.data(), content.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// A new file beside `path`, created with the mode a new file would get (the
// umask applies), or the mode of the file it will replace.
int CreateTemporary(const std::string& path, std::string& tempPath) {
    std::random_device seed;
    std::mt19937 generator(seed());
    for (int attempt = 0; attempt < NameAttempts; ++attempt) {
        tempPath = path + ".tmp" + std::to_string(generator() % 1000000);
        int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            struct stat existing {};
            if (fd >= 0 && ::stat(path.c_str(), &existing) == 0)
                ::fchmod(fd, existing.st_mode & 07777);
            return fd;
        }
    }
    return -1;
}

} // namespace

bool WriteFileAtomically(const std::string& path, std::string_view content, std::string* error) {
    CAtomicFile file(path);
    return file.Create(error) && file.Commit(content, error);
}

bool CAtomicFile::Create(std::string* error) {
    Discard();
    fd_ = CreateTemporary(path_, tempPath_);
    if (fd_ >= 0)
        return true;
    if (error)
        *error = path_ + ": " + std::strerror(errno);
    return false;
}

bool CAtomicFile::Commit(std::string_view content, std::string* error) {
    if (fd_ < 0) {
        if (error)
            *error = path_ + ": not created";
        return false;
    }
    int failure = 0;
    if (!WriteAll(fd_, content) || ::fsync(fd_) != 0)
        failure = errno;
    if (::close(fd_) != 0 && failure == 0)
        failure = errno;
    fd_ = -1;
    if (failure == 0 && ::rename(tempPath_.c_str(), path_.c_str()) == 0) {
        tempPath_.clear();
        return true;
    }
    if (failure == 0)
        failure = errno;
    Discard();
    if (error)
        *error = path_ + ": " + std::strerror(failure);
    return false;
}

void CAtomicFile::Discard() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!tempPath_.empty())
        ::unlink(tempPath_.c_str());
    tempPath_.clear();
}
