#include "python/PythonUi.h"

#include <pybind11/pybind11.h>

namespace py = pybind11;

namespace {

void AddLine(std::string& text, std::string_view line) {
    if (!text.empty())
        text += '\n';
    text += line;
}

// Each complete line of `text` to `method` of the logger.
void LogLines(const py::object& logger, const char* method, const std::string& text) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            logger.attr(method)("%s", line);
        start = end + 1;
    }
}

} // namespace

void CPythonUi::ShowMessage(std::string_view text, MessageIcon icon) {
    std::lock_guard lock(mutex_);
    if (icon == MessageIcon::Stop) {
        AddLine(stops_, text);
        return;
    }
    AddLine(others_, text);
    // A warning is said at its level; a plain notice is a line of the log.
    if (icon == MessageIcon::Warning)
        AddLine(notices_, text);
    else if (!noticesLogged_)
        log_ += std::string(text) + '\n';
}

void CPythonUi::AppendLog(std::string_view text) {
    std::lock_guard lock(mutex_);
    log_ += text;
    callLog_ += text;
}

void CPythonUi::Clear() {
    std::lock_guard lock(mutex_);
    stops_.clear();
    others_.clear();
    callLog_.clear();
}

std::string CPythonUi::Reason() const {
    std::lock_guard lock(mutex_);
    if (!stops_.empty() || !others_.empty())
        return stops_.empty() ? others_ : stops_;
    constexpr std::string_view Blanks = " \t\r\n";
    const std::size_t last = callLog_.find_last_not_of(Blanks);
    if (last == std::string::npos)
        return {};
    const std::size_t start = callLog_.find_last_of("\r\n", last);
    return callLog_.substr(start == std::string::npos ? 0 : start + 1,
                           last + 1 - (start == std::string::npos ? 0 : start + 1));
}

void CPythonUi::Flush() {
    std::string log, notices;
    {
        std::lock_guard lock(mutex_);
        log.swap(log_);
        notices.swap(notices_);
    }
    if (log.empty() && notices.empty())
        return;
    const py::object logger = py::module_::import("logging").attr("getLogger")("tundrix");
    LogLines(logger, "info", log);
    LogLines(logger, "warning", notices);
}
