#pragma once

#include "base/UserInterface.h"

// Boxes and log lines nobody reads.
class CNullUi : public IMessageBoxes, public IMessageLog {
public:
    void ShowMessage(std::string_view, MessageIcon) override {}
    void AppendLog(std::string_view) override {}
};
