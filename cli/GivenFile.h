#pragma once

#include <string>

#include "base/FileChooser.h"

// An operation's file dialog, answered with the file named on the command line.
class CGivenFile : public IFileChooser {
public:
    explicit CGivenFile(std::string fileName) : fileName_(std::move(fileName)) {}
    std::optional<std::string> ChooseOpenFile(std::string_view, std::string_view) override {
        return fileName_;
    }
    std::optional<std::string> ChooseSaveFile(std::string_view, std::string_view) override {
        return fileName_;
    }

private:
    std::string fileName_;
};
