#include "cmdfile/StandardOutput.h"

#include <cstdio>

void CStandardOutput::AppendLog(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}
