#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <utility>

#include "base/UserInterface.h"

// The message boxes, log and progress of an operation a benchmark runs: the
// log and the progress are dropped, and a box goes to standard error unless
// it is the one a good run ends with (`expected`), so that a failed run shows.
class SilentUi : public IMessageBoxes, public IMessageLog, public ITransferProgress {
public:
    explicit SilentUi(std::string expected = {}) : expected_(std::move(expected)) {}

    void ShowMessage(std::string_view text, MessageIcon) override {
        if (expected_.empty() || text != expected_)
            std::fprintf(stderr, "box: %.*s\n", static_cast<int>(text.size()), text.data());
    }
    void AppendLog(std::string_view) override {}
    void OpenProgress(std::string_view) override {}
    void SetProgress(int) override {}
    void CloseProgress() override {}

private:
    std::string expected_;
};
