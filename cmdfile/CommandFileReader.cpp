#include "cmdfile/CommandFileReader.h"

#include "base/RegularFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool CommandFileReader::Open(const std::string& path) {
    Close();
    fd_ = OpenRegularFile(path);
    struct stat info {};
    if (fd_ < 0 || ::fstat(fd_, &info) != 0) {
        Close();
        return false;
    }
    unread_ = static_cast<std::uint64_t>(info.st_size);
    opened_ = true;
    return true;
}

void CommandFileReader::Close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    opened_ = false;
    unread_ = 0;
    bufferPos_ = bufferEnd_ = 0;
}

bool CommandFileReader::ReadChar(char& c) {
    if (unread_ == 0)
        return false;
    if (bufferPos_ == bufferEnd_) {
        ssize_t got;
        do
            got = ::read(fd_, buffer_.data(), buffer_.size());
        while (got < 0 && errno == EINTR);
        // A file cut short while it is read, or a failing disk: the data ends here.
        if (got <= 0) {
            unread_ = 0;
            return false;
        }
        bufferPos_ = 0;
        bufferEnd_ = static_cast<std::size_t>(got);
    }
    c = buffer_[bufferPos_++];
    --unread_;
    return true;
}

std::string CommandFileReader::ReadTag() {
    std::string tag;
    char c = 0;
    while (ReadChar(c) && c != '<') {
    }
    if (c != '<')
        return tag;
    while (ReadChar(c) && c != '>')
        if (c != '<' && tag.size() < MaxItemSize)
            tag += c;
    return tag;
}

std::string CommandFileReader::ReadText() {
    std::string text;
    char c = 0;
    while (ReadChar(c) && c != '<')
        if (text.size() < MaxItemSize)
            text += c;
    return text;
}
