#pragma once

#include <cstdio>
#include <mutex>

#include "base/UserInterface.h"

// The user, as the command line sees one: boxes become lines on standard
// error; the message log goes where the command wants it (the terminal logs
// to standard output, other commands keep standard output for replies).
class CCliUi : public IMessageBoxes, public IMessageLog, public ITransferProgress {
public:
    void SetLogStream(std::FILE* stream) { logStream_ = stream; }
    // For a command whose every notice (an information box) is also a line of
    // its log: the notices are not printed, so each is said once.
    void SetNoticesLogged(bool logged) { noticesLogged_ = logged; }

    void ShowMessage(std::string_view text, MessageIcon icon) override;
    void AppendLog(std::string_view text) override;
    void OpenProgress(std::string_view caption) override;
    void SetProgress(int percent) override;
    void CloseProgress() override;

private:
    std::mutex mutex_;
    std::FILE* logStream_ = stderr;
    std::string caption_;
    int percent_ = -1;
    bool progressShown_ = false;
    bool noticesLogged_ = false;
};
