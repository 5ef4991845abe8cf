#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

// The fuzzer's input as a file that the readers open by its name: one file in
// memory, rewritten for every input.
class CFuzzFile {
public:
    CFuzzFile() : fd_(::memfd_create("curve", 0)), path_("/proc/self/fd/" + std::to_string(fd_)) {
        if (fd_ < 0)
            std::abort();
    }
    ~CFuzzFile() { ::close(fd_); }
    CFuzzFile(const CFuzzFile&) = delete;
    CFuzzFile& operator=(const CFuzzFile&) = delete;

    const std::string& Write(const std::uint8_t* data, std::size_t size) {
        if (::ftruncate(fd_, 0) != 0)
            std::abort();
        for (std::size_t done = 0; done < size;) {
            ssize_t written = ::pwrite(fd_, data + done, size - done, static_cast<off_t>(done));
            if (written <= 0)
                std::abort();
            done += static_cast<std::size_t>(written);
        }
        return path_;
    }

private:
    int fd_;
    std::string path_;
};

// A broken promise of the code under test: a crash the fuzzer reports.
inline void Require(bool holds) {
    if (!holds)
        std::abort();
}
