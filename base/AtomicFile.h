#pragma once

#include <string>
#include <string_view>
#include <utility>

// Writes `content` into a new file in the folder of `path` and renames it over
// `path`, so that a file the user chose is either written whole or left as it
// was. On failure `error` (when given) names the cause.
bool WriteFileAtomically(const std::string& path, std::string_view content,
                         std::string* error = nullptr);

// The same promise for a writer that must know whether the file can be made
// before it fetches what goes into it (a long read from the instrument):
// Create makes the temporary file beside `path`, Commit writes the content and
// renames it over `path`. A file never committed (Discard, or the end of the
// object) leaves `path` as it was.
class CAtomicFile {
public:
    explicit CAtomicFile(std::string path) : path_(std::move(path)) {}
    ~CAtomicFile() { Discard(); }
    CAtomicFile(const CAtomicFile&) = delete;
    CAtomicFile& operator=(const CAtomicFile&) = delete;

    const std::string& Path() const { return path_; }
    bool Create(std::string* error = nullptr);
    bool Commit(std::string_view content, std::string* error = nullptr);
    void Discard();

private:
    std::string path_;
    std::string tempPath_;
    int fd_ = -1;
};
