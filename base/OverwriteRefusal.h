#pragma once

#include <string>
#include <sys/stat.h>

// Why what already stands at a path must not be written over: it is not a
// regular file (a device, a pipe, a folder, a socket), nobody may write it
// (refused also for root), or it is the file `notSameAs` (the input being
// read), under whatever name. `existing` is that path's stat, links followed.
enum class OverwriteRefusal { None, NotRegular, ReadOnly, SameAsInput };

OverwriteRefusal CheckOverwrite(const struct stat& existing, const std::string& notSameAs);
