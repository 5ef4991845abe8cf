#include "cli/ExitStatus.h"

#include <cstdio>

int Usage(std::string_view command, std::string_view text) {
    std::fprintf(stderr, "tundrix-cli: %.*s: %.*s\n", static_cast<int>(command.size()),
                 command.data(), static_cast<int>(text.size()), text.data());
    return ExitUsage;
}

void ReportLinkBusy() {
    std::fprintf(stderr, "tundrix-cli: the link is busy\n");
}
