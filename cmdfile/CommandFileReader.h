#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Reads a command file as a stream of tags and text runs; the file is not
// parsed as XML. A tag is what stands between '<' and '>', a text run what
// stands between a '>' and the next '<'.
class CommandFileReader {
public:
    // A tag or text longer than this keeps its first MaxItemSize bytes; the
    // rest is read past, so the stream stays in step. Far beyond any command
    // the link accepts or any reply it returns over RS232.
    static constexpr std::size_t MaxItemSize = std::size_t{64} * 1024;

    CommandFileReader() = default;
    ~CommandFileReader() { Close(); }
    CommandFileReader(const CommandFileReader&) = delete;
    CommandFileReader& operator=(const CommandFileReader&) = delete;

    // Opens a regular file for reading; true (and the unread count set to the
    // file's length) on success.
    bool Open(const std::string& path);
    bool IsOpen() const { return opened_; }
    // One byte; false at the end of the data, and at every call after it.
    bool ReadChar(char& c);
    // Skips up to and including the next '<', then collects up to the next '>'
    // (consumed, not kept); a '<' met on the way is dropped. What was collected
    // when the data ends; "" when no '<' was left.
    std::string ReadTag();
    // Collects up to the next '<' (consumed, not kept), nothing trimmed.
    std::string ReadText();
    static bool IsClosingTag(std::string_view name) { return !name.empty() && name[0] == '/'; }
    static bool IsComment(std::string_view name) { return !name.empty() && name[0] == '!'; }
    void Close();

private:
    int fd_ = -1;
    bool opened_ = false;
    std::uint64_t unread_ = 0;
    std::array<char, 4096> buffer_{};
    std::size_t bufferPos_ = 0;
    std::size_t bufferEnd_ = 0;
};
