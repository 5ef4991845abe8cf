#pragma once

#include "base/UserInterface.h"

// The program's standard output as a log: where a command file run writes the
// expected text of each RESPONSE, in the window program as on the command line.
class CStandardOutput : public IMessageLog {
public:
    void AppendLog(std::string_view text) override;
};
