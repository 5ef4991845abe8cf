#pragma once

#include <cstdio>
#include <memory>
#include <string>

class IMessageLog;

// A C stream closed when it goes out of scope.
struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// A regular file (through symbolic links) opened for reading, or null. The
// open never blocks, and nothing else is read: a pipe nobody writes to would
// be waited on for ever, and a device such as /dev/zero never ends.
FileHandle OpenInputFile(const std::string& path);

// The same for a file the user chose: when something other than a regular
// file stands at the path, the log says "<path>: not a regular file (a
// device, a pipe or a folder)" before the reader reports that it cannot open it.
FileHandle OpenInputFile(const std::string& path, IMessageLog& log);
