#include "logging/LoggingState.h"

#include "base/UserInterface.h"
#include "logging/LogFormat.h"

bool CLoggingState::CreateFile(const std::string& path, std::string* error) {
    std::lock_guard lock(mutex_);
    return file_.Create(path, {}, error);
}

void CLoggingState::SetSources(const LogSourceFlags& sources) {
    std::lock_guard lock(mutex_);
    sources_ = sources;
}

void CLoggingState::Activate() {
    std::lock_guard lock(mutex_);
    entries_ = 0;
    loggingActive_ = 1;
}

void CLoggingState::AppendText(std::string_view text) {
    std::lock_guard lock(mutex_);
    file_.Append(text);
}

void CLoggingState::BeginSampling() {
    std::lock_guard lock(mutex_);
    if (loggingActive_.load() != 0)
        sampling_ = true;
}

LogSourceFlags CLoggingState::Sources() const {
    std::lock_guard lock(mutex_);
    return sources_;
}

std::string CLoggingState::Path() const {
    std::lock_guard lock(mutex_);
    return file_.Path();
}

bool CLoggingState::CommitRow(std::string_view row) {
    std::lock_guard lock(mutex_);
    if (!sampling_.load())
        return false;
    ++entries_;
    file_.Append(row);
    if (rowObserver_)
        rowObserver_(row);
    return true;
}

void CLoggingState::SetRowObserver(std::function<void(std::string_view row)> observer) {
    std::lock_guard lock(mutex_);
    rowObserver_ = std::move(observer);
}

bool CLoggingState::End(const std::tm& now) {
    std::lock_guard lock(mutex_);
    if (loggingActive_.load() == 0)
        return false;
    loggingActive_ = 0;
    sampling_ = false;
    file_.Append(EntriesLine(entries_.load()) + TerminatedLine(now));
    if (const std::size_t lost = file_.DropPending(); lost > 0)
        log_.AppendLog("The data log file " + file_.Path() + " could not be written: its last " +
                       std::to_string(lost) + " bytes are lost.\n");
    return true;
}
