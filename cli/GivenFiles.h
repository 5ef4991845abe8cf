#pragma once

#include <optional>
#include <string>
#include <utility>

#include "base/FileChooser.h"

// The file dialogs of a file operation, answered with the command's two file
// names: the open dialog with the input, the save dialog with the output.
class CGivenFiles : public IFileChooser {
public:
    CGivenFiles(std::string input, std::string output)
        : input_(std::move(input)), output_(std::move(output)) {}
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
