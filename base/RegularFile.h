#pragma once

#include <string>

// Opens `path` for reading when it is a regular file (through symbolic links)
// and answers its descriptor, or -1 with errno set. The open never blocks: a
// pipe at the path (a FIFO nobody writes to) is refused with EINVAL at once
// instead of waiting forever for a writer; so are folders and devices.
int OpenRegularFile(const std::string& path);
