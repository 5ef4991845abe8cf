#pragma once

#include <cstdio>
#include <string_view>

#include "base/UserInterface.h"

// A log on a stream that ends its last line when the command is done: some
// log texts carry no line end of their own.
class CStreamLog : public IMessageLog {
public:
    explicit CStreamLog(std::FILE* stream) : stream_(stream) {}
    ~CStreamLog() override {
        if (open_)
            std::fputc('\n', stream_);
    }
    CStreamLog(const CStreamLog&) = delete;
    CStreamLog& operator=(const CStreamLog&) = delete;

    void AppendLog(std::string_view text) override {
        if (text.empty())
            return;
        std::fwrite(text.data(), 1, text.size(), stream_);
        open_ = text.back() != '\n';
    }

private:
    std::FILE* stream_;
    bool open_ = false;
};
