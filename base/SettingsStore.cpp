#include "base/SettingsStore.h"

#include "base/AtomicFile.h"
#include "base/UserInterface.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// Control bytes other than tab mark a line as garbage (binary data, a torn file).
bool IsPlainText(std::string_view s) {
    for (unsigned char c : s)
        if ((c < 0x20 && c != '\t') || c == 0x7F)
            return false;
    return true;
}

// mkdir -p for the settings folder; the folder is private to the user.
bool MakeFolders(const std::string& folder) {
    if (folder.empty())
        return true;
    struct stat st {};
    if (::stat(folder.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode);
    auto slash = folder.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !MakeFolders(folder.substr(0, slash)))
        return false;
    return ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

} // namespace

CSettingsStore::CSettingsStore(std::string path) : path_(std::move(path)) {}

void CSettingsStore::Load() {
    std::string report;
    IMessageLog* log = nullptr;
    {
        std::lock_guard lock(mutex_);
        lines_.clear();
        crlf_ = false;
        notSavedReason_.clear();
        reported_ = false;
        if (path_.empty())
            return;
        // Without O_NONBLOCK a pipe at the path would block here until a writer came.
        int fd = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            if (errno != ENOENT && errno != ENOTDIR)
                notSavedReason_ = path_ + ": the settings file cannot be read (" +
                                  std::strerror(errno) +
                                  "); changed settings last until the program ends";
        } else {
            struct stat info {};
            std::string text;
            if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
                notSavedReason_ = path_ +
                                  ": not a regular file; the settings are neither read from "
                                  "it nor saved to it";
            } else {
                // One byte beyond the limit tells a file that was not read whole.
                char buffer[65536];
                while (text.size() <= MaxFileSize) {
                    ssize_t n =
                        ::read(fd, buffer, std::min(sizeof buffer, MaxFileSize + 1 - text.size()));
                    if (n < 0 && errno == EINTR)
                        continue;
                    if (n < 0)
                        notSavedReason_ = path_ + ": reading the settings file failed (" +
                                          std::strerror(errno) +
                                          "); changed settings last until the program ends";
                    if (n <= 0)
                        break;
                    text.append(buffer, static_cast<std::size_t>(n));
                }
                if (text.size() > MaxFileSize) {
                    text.resize(MaxFileSize);
                    notSavedReason_ = path_ +
                                      ": the settings file is larger than 4 MiB and was read "
                                      "only in part; it is not saved to, and changed settings "
                                      "last until the program ends";
                }
            }
            ::close(fd);
            Parse(text);
        }
        report = TakeReport();
        log = log_;
    }
    if (!report.empty())
        log->AppendLog(report);
}

void CSettingsStore::SetMessageLog(IMessageLog* log) {
    std::string report;
    {
        std::lock_guard lock(mutex_);
        log_ = log;
        report = TakeReport();
    }
    if (!report.empty())
        log->AppendLog(report);
}

// The reason the file is not saved to, once, while a log is there to take it.
std::string CSettingsStore::TakeReport() {
    if (reported_ || !log_ || notSavedReason_.empty())
        return {};
    reported_ = true;
    return notSavedReason_ + "\n";
}

void CSettingsStore::Parse(std::string_view text) {
    std::string current; // section of the lines that follow; none before the first header
    bool inSection = false;
    bool first = true;
    while (!text.empty()) {
        auto end = text.find('\n');
        Line line;
        line.text = std::string(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        line.carriageReturn = !line.text.empty() && line.text.back() == '\r';
        if (first)
            crlf_ = line.carriageReturn;
        first = false;
        std::string_view content = line.text;
        if (content.size() <= MaxLineLength && IsPlainText(Trim(content))) {
            content = Trim(content);
            if (!content.empty() && content.front() == '[') {
                auto close = content.find(']');
                inSection = close != std::string_view::npos && close > 1;
                if (inSection) {
                    current = std::string(Trim(content.substr(1, close - 1)));
                    line.kind = LineKind::Header;
                    line.section = current;
                }
            } else if (inSection && !content.empty() && content.front() != ';' &&
                       content.front() != '#') {
                auto eq = content.find('=');
                std::string_view key =
                    eq == std::string_view::npos ? std::string_view() : Trim(content.substr(0, eq));
                if (!key.empty()) {
                    line.kind = LineKind::Entry;
                    line.section = current;
                    line.key = std::string(key);
                    line.value = std::string(Trim(content.substr(eq + 1)));
                }
            }
        }
        lines_.push_back(std::move(line));
    }
}

std::size_t CSettingsStore::FindEntry(std::string_view section, std::string_view key) const {
    std::size_t found = std::string::npos;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        if (line.kind == LineKind::Entry && SameName(line.section, section) &&
            SameName(line.key, key))
            found = i;
    }
    return found;
}

void CSettingsStore::Set(std::string_view section, std::string_view key, std::string_view value) {
    std::size_t at = FindEntry(section, key);
    if (at != std::string::npos) {
        Line& line = lines_[at];
        line.value = std::string(value);
        line.text = line.key + '=' + line.value + (line.carriageReturn ? "\r" : "");
        return;
    }
    Line entry;
    entry.kind = LineKind::Entry;
    entry.key = std::string(key);
    entry.value = std::string(value);
    entry.carriageReturn = crlf_;
    entry.text = entry.key + '=' + entry.value + (crlf_ ? "\r" : "");

    // After the last value of the section's last block, or right after its header.
    std::size_t header = std::string::npos;
    for (std::size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i].kind == LineKind::Header && SameName(lines_[i].section, section))
            header = i;
    if (header != std::string::npos) {
        std::size_t insertAt = header + 1;
        for (std::size_t i = header + 1; i < lines_.size() && lines_[i].kind != LineKind::Header;
             ++i)
            if (lines_[i].kind == LineKind::Entry)
                insertAt = i + 1;
        entry.section = lines_[header].section;
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), std::move(entry));
        return;
    }
    // A new section at the end, set off by a blank line.
    auto blank = [this] {
        Line line;
        line.carriageReturn = crlf_;
        line.text = crlf_ ? "\r" : "";
        return line;
    };
    if (!lines_.empty() && !Trim(lines_.back().text).empty())
        lines_.push_back(blank());
    Line head;
    head.kind = LineKind::Header;
    head.section = std::string(section);
    head.carriageReturn = crlf_;
    head.text = '[' + head.section + ']' + (crlf_ ? "\r" : "");
    entry.section = head.section;
    lines_.push_back(std::move(head));
    lines_.push_back(std::move(entry));
    lines_.push_back(blank());
}

std::optional<std::string> CSettingsStore::Find(std::string_view section,
                                                std::string_view key) const {
    std::lock_guard lock(mutex_);
    std::size_t at = FindEntry(section, key);
    if (at == std::string::npos)
        return std::nullopt;
    return lines_[at].value;
}

int CSettingsStore::GetInt(std::string_view section, std::string_view key, int defaultValue) const {
    auto text = Find(section, key);
    if (!text)
        return defaultValue;
    std::string_view s = *text;
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    int value = 0;
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || ptr != s.data() + s.size())
        return defaultValue;
    return value;
}

std::string CSettingsStore::GetString(std::string_view section, std::string_view key,
                                      std::string_view defaultValue) const {
    auto text = Find(section, key);
    return text ? *text : std::string(defaultValue);
}

bool CSettingsStore::WriteInt(std::string_view section, std::string_view key, int value) {
    return WriteString(section, key, std::to_string(value));
}

bool CSettingsStore::WriteString(std::string_view section, std::string_view key,
                                 std::string_view value) {
    std::lock_guard lock(mutex_);
    if (section.empty() || key.empty() || !IsPlainText(section) || !IsPlainText(key) ||
        !IsPlainText(value) || section.find(']') != std::string_view::npos ||
        key.find('=') != std::string_view::npos || Trim(key).empty()) {
        lastError_ = "the value cannot be stored in the settings file";
        return false;
    }
    Set(section, Trim(key), value);
    return Save();
}

std::string CSettingsStore::LastError() const {
    std::lock_guard lock(mutex_);
    return lastError_;
}

bool CSettingsStore::CanSave() const {
    std::lock_guard lock(mutex_);
    return notSavedReason_.empty();
}

bool CSettingsStore::Save() {
    if (path_.empty())
        return true;
    if (!notSavedReason_.empty()) {
        lastError_ = notSavedReason_;
        return false;
    }
    std::string text;
    for (const auto& line : lines_) {
        text += line.text;
        text += '\n';
    }
    auto slash = path_.find_last_of('/');
    std::string folder = slash == std::string::npos ? std::string(".") : path_.substr(0, slash);
    if (!MakeFolders(folder)) {
        lastError_ = folder + ": " + std::strerror(errno);
        return false;
    }
    return WriteFileAtomically(path_, text, &lastError_);
}

std::string SettingsFolder() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (xdg && *xdg == '/') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home && *home ? home : ".") + "/.config";
    }
    return base + "/Arktronic";
}

std::string ResolveSettingsPath(const std::string& explicitPath) {
    if (!explicitPath.empty())
        return explicitPath;
    const char* env = std::getenv("TUNDRIX_SETTINGS");
    if (env && *env)
        return env;
    return SettingsFolder() + "/Tundrix.INI";
}
