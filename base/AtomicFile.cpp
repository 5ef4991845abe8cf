#include "base/AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

#include "base/OverwriteRefusal.h"

namespace {

constexpr int NameAttempts = 100;
// As the kernel's own limit on links followed in one path.
constexpr int MaxLinks = 40;

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

std::string FolderOf(const std::string& path) {
    auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// Follows symbolic links from `path` to the file they finally name, which may
// not exist yet. False (errno set) for a loop or an unreadable link.
bool ResolveLinks(const std::string& path, std::string& target) {
    target = path;
    for (int links = 0; links <= MaxLinks; ++links) {
        struct stat info {};
        if (::lstat(target.c_str(), &info) != 0)
            return errno == ENOENT;
        if (!S_ISLNK(info.st_mode))
            return true;
        std::string link(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 4096), '\0');
        ssize_t length = ::readlink(target.c_str(), link.data(), link.size());
        if (length < 0)
            return false;
        link.resize(static_cast<std::size_t>(length));
        if (link.starts_with('/')) {
            target = std::move(link);
        } else {
            std::string folder = FolderOf(target);
            folder += '/';
            folder += link;
            target = std::move(folder);
        }
    }
    errno = ELOOP;
    return false;
}

// A new file beside `path`, with the mode of the file it will replace (a new
// file gets the usual mode, less the umask).
int CreateTemporary(const std::string& path, const struct stat* existing, std::string& tempPath) {
    std::random_device seed;
    std::mt19937 generator(seed());
    for (int attempt = 0; attempt < NameAttempts; ++attempt) {
        tempPath = path + ".tmp" + std::to_string(generator() % 1000000);
        int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 && existing) {
            ::fchmod(fd, existing->st_mode & 07777);
            // Only root may give a file away; for anyone else the file stays theirs.
            if (::geteuid() == 0 && ::fchown(fd, existing->st_uid, existing->st_gid) != 0) {
                // The new file then belongs to root; its contents are still whole.
            }
        }
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

bool Refuse(std::string* error, const std::string& text) {
    if (error)
        *error = text;
    return false;
}

} // namespace

bool WriteFileAtomically(const std::string& path, std::string_view content, std::string* error,
                         const std::string& notSameAs) {
    CAtomicFile file(path, notSameAs);
    return file.Create(error) && file.Commit(content, error);
}

bool CAtomicFile::Create(std::string* error) {
    Discard();
    if (!ResolveLinks(path_, target_))
        return Refuse(error, path_ + ": " + std::strerror(errno));
    struct stat existing {};
    const bool exists = ::stat(target_.c_str(), &existing) == 0;
    switch (exists ? CheckOverwrite(existing, notSameAs_) : OverwriteRefusal::None) {
    case OverwriteRefusal::NotRegular:
        return Refuse(error, path_ + ": not a regular file (a device, a pipe or a folder); "
                                     "nothing was written");
    case OverwriteRefusal::ReadOnly:
        return Refuse(error, path_ + ": the file is read-only; nothing was written");
    case OverwriteRefusal::SameAsInput:
        return Refuse(error, path_ + ": this is the file being read; choose another file to "
                                     "write");
    case OverwriteRefusal::None:
        break;
    }
    fd_ = CreateTemporary(target_, exists ? &existing : nullptr, tempPath_);
    if (fd_ >= 0)
        return true;
    tempPath_.clear();
    return Refuse(error, path_ + ": " + std::strerror(errno));
}

bool CAtomicFile::Commit(std::string_view content, std::string* error) {
    if (fd_ < 0)
        return Refuse(error, path_ + ": not created");
    int failure = 0;
    if (!WriteAll(fd_, content) || ::fsync(fd_) != 0)
        failure = errno;
    if (::close(fd_) != 0 && failure == 0)
        failure = errno;
    fd_ = -1;
    if (failure == 0 && ::rename(tempPath_.c_str(), target_.c_str()) == 0) {
        tempPath_.clear();
        return true;
    }
    if (failure == 0)
        failure = errno;
    Discard();
    return Refuse(error, path_ + ": " + std::strerror(failure));
}

void CAtomicFile::Discard() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!tempPath_.empty())
        ::unlink(tempPath_.c_str());
    tempPath_.clear();
}
