#include "curves/FileHandle.h"

#include <cerrno>
#include <unistd.h>

#include "base/RegularFile.h"
#include "base/UserInterface.h"

FileHandle OpenInputFile(const std::string& path) {
    const int fd = OpenRegularFile(path);
    if (fd < 0)
        return nullptr;
    FileHandle file(::fdopen(fd, "r"));
    if (!file)
        ::close(fd);
    return file;
}

FileHandle OpenInputFile(const std::string& path, IMessageLog& log) {
    FileHandle file = OpenInputFile(path);
    // OpenRegularFile's answer for whatever is not a regular file.
    if (!file && errno == EINVAL)
        log.AppendLog(path + ": not a regular file (a device, a pipe or a folder)\n");
    return file;
}
