#include "comm/DeviceLock.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool IsWritableFolder(const std::string& folder) {
    struct stat info {};
    return !folder.empty() && ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           ::access(folder.c_str(), W_OK | X_OK) == 0;
}

// mkdir -p, for a lock folder of one's own.
void MakeFolders(const std::string& folder) {
    auto slash = folder.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !IsWritableFolder(folder.substr(0, slash)))
        MakeFolders(folder.substr(0, slash));
    ::mkdir(folder.c_str(), 0700);
}

} // namespace

std::string CDeviceLock::Folder() {
    if (const char* own = std::getenv("TUNDRIX_LOCK_DIR"); own && *own == '/') {
        MakeFolders(own);
        return own;
    }
    if (IsWritableFolder("/run/lock"))
        return "/run/lock";
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        runtime && *runtime == '/' && IsWritableFolder(runtime))
        return runtime;
    return "/tmp";
}

namespace {

std::string SharedMarkPath(const std::string& name) {
    return CDeviceLock::Folder() + "/tundrix-" + name + ".shared.lock";
}

// Whether a live server holds the mark of `name`.
bool IsShared(const std::string& name) {
    const int fd = ::open(SharedMarkPath(name).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

} // namespace

void CDeviceLock::MarkShared(const std::string& name) {
    Release();
    const int fd =
        ::open(SharedMarkPath(name).c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
        fd_ = fd;
    else if (fd >= 0)
        ::close(fd);
}

bool CDeviceLock::Acquire(const std::string& name, std::string& error) {
    Release();
    if (IsShared(name))
        return true;
    const std::string path = Folder() + "/tundrix-" + name + ".lock";
    // O_NOFOLLOW: the lock folder may be shared by every user.
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0 && errno == EACCES)
        fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC); // another user's lock file
    if (fd < 0)
        return true; // nowhere to lock: go on unlocked rather than refuse the instrument
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool busy = errno == EWOULDBLOCK;
        ::close(fd);
        if (!busy)
            return true;
        error = "another program is using this instrument (" + path + ")";
        return false;
    }
    fd_ = fd;
    return true;
}

void CDeviceLock::Release() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}
