#include "cli/CliUi.h"

#include <string>
#include <unistd.h>

void CCliUi::ShowMessage(std::string_view text, MessageIcon icon) {
    std::lock_guard lock(mutex_);
    if (noticesLogged_ && icon == MessageIcon::Information)
        return;
    const char* kind = icon == MessageIcon::Stop      ? "error"
                       : icon == MessageIcon::Warning ? "warning"
                                                      : "note";
    std::fprintf(stderr, "tundrix-cli: %s: %.*s\n", kind, static_cast<int>(text.size()),
                 text.data());
}

void CCliUi::AppendLog(std::string_view text) {
    std::lock_guard lock(mutex_);
    std::fwrite(text.data(), 1, text.size(), logStream_);
    std::fflush(logStream_);
}

// Progress is drawn only for a person watching a terminal, never into a pipe.
void CCliUi::OpenProgress(std::string_view caption) {
    std::lock_guard lock(mutex_);
    caption_ = std::string(caption);
    percent_ = -1;
    progressShown_ = ::isatty(STDERR_FILENO);
}

void CCliUi::SetProgress(int percent) {
    std::lock_guard lock(mutex_);
    if (!progressShown_ || percent == percent_)
        return;
    percent_ = percent;
    std::fprintf(stderr, "\r%s: %3d%%", caption_.c_str(), percent);
    std::fflush(stderr);
}

void CCliUi::CloseProgress() {
    std::lock_guard lock(mutex_);
    if (progressShown_ && percent_ >= 0)
        std::fputc('\n', stderr);
    progressShown_ = false;
}
