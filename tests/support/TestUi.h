#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "base/UserInterface.h"

// Records what the core shows the user, so tests can check the exact texts.
class TestUi : public IMessageBoxes, public IMessageLog, public ITransferProgress {
public:
    struct Box {
        std::string text;
        MessageIcon icon;
    };

    void ShowMessage(std::string_view text, MessageIcon icon) override {
        std::lock_guard lock(mutex_);
        boxes_.push_back({std::string(text), icon});
    }
    void AppendLog(std::string_view text) override {
        std::lock_guard lock(mutex_);
        log_ += text;
    }
    void OpenProgress(std::string_view caption) override {
        std::lock_guard lock(mutex_);
        captions_.emplace_back(caption);
        progressOpen_ = true;
    }
    void SetProgress(int percent) override {
        std::lock_guard lock(mutex_);
        progress_.push_back(percent);
    }
    void CloseProgress() override {
        std::lock_guard lock(mutex_);
        progressOpen_ = false;
    }

    std::vector<Box> Boxes() const {
        std::lock_guard lock(mutex_);
        return boxes_;
    }
    std::vector<std::string> BoxTexts() const {
        std::lock_guard lock(mutex_);
        std::vector<std::string> texts;
        for (const auto& b : boxes_)
            texts.push_back(b.text);
        return texts;
    }
    std::string Log() const {
        std::lock_guard lock(mutex_);
        return log_;
    }
    std::vector<int> Progress() const {
        std::lock_guard lock(mutex_);
        return progress_;
    }
    std::vector<std::string> Captions() const {
        std::lock_guard lock(mutex_);
        return captions_;
    }
    bool ProgressOpen() const {
        std::lock_guard lock(mutex_);
        return progressOpen_;
    }
    void Clear() {
        std::lock_guard lock(mutex_);
        boxes_.clear();
        log_.clear();
        progress_.clear();
        captions_.clear();
    }

private:
    mutable std::mutex mutex_;
    std::vector<Box> boxes_;
    std::string log_;
    std::vector<int> progress_;
    std::vector<std::string> captions_;
    bool progressOpen_ = false;
};
