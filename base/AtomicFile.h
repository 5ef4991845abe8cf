#pragma once

#include <string>
#include <string_view>
#include <utility>

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

// The same promise for a writer that must know whether the file can be made
// before it fetches what goes into it (a long read from the instrument):
// Create checks `path` as above and makes the temporary file, Commit writes
// the content and renames it into place. A file never committed (Discard, or
// the end of the object) leaves `path` as it was.
class CAtomicFile {
public:
    explicit CAtomicFile(std::string path, std::string notSameAs = {})
        : path_(std::move(path)), notSameAs_(std::move(notSameAs)) {}
    ~CAtomicFile() { Discard(); }
    CAtomicFile(const CAtomicFile&) = delete;
    CAtomicFile& operator=(const CAtomicFile&) = delete;

    const std::string& Path() const { return path_; }
    bool Create(std::string* error = nullptr);
    bool Commit(std::string_view content, std::string* error = nullptr);
    void Discard();

private:
    std::string path_;
    std::string notSameAs_;
    std::string target_; // path_ with its symbolic links followed
    std::string tempPath_;
    int fd_ = -1;
};
