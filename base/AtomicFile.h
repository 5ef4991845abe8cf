#pragma once

#include <string>
#include <string_view>

// Writes `content` into a new file in the folder of `path` and renames it over
// `path`, so that a file the user chose is either written whole or left as it
// was. On failure `error` (when given) names the cause.
//
// What is at `path` decides where the new file goes, and whether it may go:
// - a symbolic link is written through: the file it points to is replaced (the
//   new file is made in that file's folder), and the link stays a link;
// - anything that exists and is not a regular file (a device, a pipe, a
//   folder, a socket) is refused, never replaced;
// - a file without write permission is refused, also for root;
// - when `notSameAs` names a file (the input of a conversion) and `path` is
//   that file, under whatever name, the write is refused.
// A replaced file keeps its permissions (and, where allowed, its owner).
bool WriteFileAtomically(const std::string& path, std::string_view content,
                         std::string* error = nullptr, const std::string& notSameAs = {});
