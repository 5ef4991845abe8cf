#include "calc/TitleChannel.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <string_view>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

std::string EncodeTitle(const std::string& title) {
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string name;
    for (unsigned char c : title) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '_') {
            name += char(c);
        } else {
            name += '%';
            name += Hex[c >> 4];
            name += Hex[c & 15];
        }
    }
    return name;
}

bool MakeAddress(const std::string& path, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// Connects a datagram socket to `path`: the socket when someone is bound there,
// else -1 (and a name nobody is bound to any more is removed).
int ConnectTo(const std::string& path) {
    sockaddr_un address;
    if (!MakeAddress(path, address))
        return -1;
    int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
        return fd;
    if (errno == ECONNREFUSED)
        ::unlink(path.c_str());
    ::close(fd);
    return -1;
}

// Calls `found` with a connected socket for each live name of `title` until it
// returns true; true when it did.
template <typename Found> bool ForEachWindow(const std::string& title, Found found) {
    const std::string folder = CTitleChannel::Folder();
    if (folder.empty())
        return false;
    const std::string prefix = EncodeTitle(title) + ".";
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return false;
    bool done = false;
    while (!done) {
        const dirent* entry = ::readdir(dir);
        if (!entry)
            break;
        std::string_view name(entry->d_name);
        if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix ||
            name.substr(prefix.size()).find_first_not_of("0123456789") != std::string_view::npos)
            continue;
        int fd = ConnectTo(folder + "/" + std::string(name));
        if (fd >= 0) {
            done = found(fd);
            ::close(fd);
        }
    }
    ::closedir(dir);
    return done;
}

} // namespace

CTitleChannel::~CTitleChannel() {
    Close();
}

std::string CTitleChannel::Folder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string folder = runtime && *runtime == '/'
                             ? std::string(runtime) + "/arktronic-windows"
                             : "/tmp/arktronic-windows-" + std::to_string(::geteuid());
    ::mkdir(folder.c_str(), 0700);
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != ::geteuid() || (info.st_mode & 077) != 0)
        return {};
    return folder;
}

bool CTitleChannel::Listen(const std::string& title) {
    Close();
    const std::string folder = Folder();
    if (folder.empty())
        return false;
    const std::string path = folder + "/" + EncodeTitle(title) + "." + std::to_string(::getpid());
    sockaddr_un address;
    if (!MakeAddress(path, address))
        return false;
    int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    // A name with our own process number is a leftover of an earlier process.
    ::unlink(path.c_str());
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    path_ = path;
    return true;
}

void CTitleChannel::Close() {
    if (fd_ < 0)
        return;
    ::close(fd_);
    ::unlink(path_.c_str());
    fd_ = -1;
    path_.clear();
}

bool CTitleChannel::TakeCloseRequest() {
    bool close = false;
    char buffer[64];
    ssize_t n;
    while (fd_ >= 0 && (n = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT)) >= 0)
        if (std::string_view(buffer, std::size_t(n)) == CloseRequest)
            close = true;
    return close;
}

bool CTitleChannel::IsOpen(const std::string& title) {
    return ForEachWindow(title, [](int) { return true; });
}

bool CTitleChannel::PostClose(const std::string& title) {
    return ForEachWindow(title, [](int fd) {
        const std::string_view request(CloseRequest);
        // A full queue still holds earlier requests to close: the window was found.
        return ::send(fd, request.data(), request.size(), MSG_DONTWAIT | MSG_NOSIGNAL) ==
                   ssize_t(request.size()) ||
               errno == EAGAIN;
    });
}
