#pragma once

#include <mutex>
#include <string>
#include <string_view>

#include "base/UserInterface.h"

// The user, as the Python module sees one: the boxes an operation shows are
// kept, so that a failed call raises an exception with their text; the
// message log and the plain notices go to Python's logging module (logger
// "tundrix") at level INFO when the call returns, warnings at WARNING. The core may call from a
// worker thread, so nothing here touches Python: Flush, on the caller's thread with the GIL held,
// does.
class CPythonUi : public IMessageBoxes, public IMessageLog, public ITransferProgress {
public:
    void ShowMessage(std::string_view text, MessageIcon icon) override;
    void AppendLog(std::string_view text) override;
    void OpenProgress(std::string_view) override {}
    void SetProgress(int) override {}
    void CloseProgress() override {}

    // For an operation whose every notice (an information box) is also a line
    // of its log: the notices are not logged twice.
    void SetNoticesLogged(bool logged) { noticesLogged_ = logged; }
    // Forgets what earlier calls showed.
    void Clear();
    // Why the operation failed, as the CLI shows it: what the boxes said since
    // Clear, those with a stop icon, else any, one line each; without a box,
    // the last line the operation logged; "" when it said nothing.
    std::string Reason() const;
    // Hands the log text and the notices to the logger "tundrix" and forgets them.
    void Flush();

private:
    mutable std::mutex mutex_;
    std::string stops_;
    std::string others_;
    std::string log_;
    std::string callLog_; // this call's log, for Reason
    std::string notices_;
    bool noticesLogged_ = false;
};
