#pragma once

#include <optional>
#include <string>
#include <utility>

#include "base/FileChooser.h"

// The file dialogs of an operation answered with names given beforehand, as
// the CLI gets them from its command line: the open dialog with the input,
// the save dialog with the output (the user agreed to replace it by naming it).
class CGivenFiles : public IFileChooser {
public:
    CGivenFiles(std::string input, std::string output)
        : input_(std::move(input)), output_(std::move(output)) {}
    // Both dialogs answer with the one file.
    explicit CGivenFiles(const std::string& file) : CGivenFiles(file, file) {}
    std::optional<std::string> ChooseOpenFile(std::string_view, std::string_view) override {
        return input_;
    }
    std::optional<std::string> ChooseSaveFile(std::string_view, std::string_view) override {
        return output_;
    }

private:
    std::string input_;
    std::string output_;
};
