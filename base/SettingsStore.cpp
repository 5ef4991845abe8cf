#include "base/SettingsStore.h"

#include "base/AtomicFile.h"

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
    std::lock_guard lock(mutex_);
    sections_.clear();
    if (path_.empty())
        return;
    int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    std::string text;
    char buffer[65536];
    while (text.size() < MaxFileSize) {
        ssize_t n = ::read(fd, buffer, std::min(sizeof buffer, MaxFileSize - text.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    Parse(text);
}

void CSettingsStore::Parse(std::string_view text) {
    std::string current; // section of the lines that follow; none before the first header
    bool inSection = false;
    while (!text.empty()) {
        auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.size() > MaxLineLength)
            continue;
        line = Trim(line);
        if (line.empty() || line.front() == ';' || line.front() == '#' || !IsPlainText(line))
            continue;
        if (line.front() == '[') {
            auto close = line.find(']');
            inSection = close != std::string_view::npos && close > 1;
            if (inSection)
                current = std::string(Trim(line.substr(1, close - 1)));
            continue;
        }
        auto eq = line.find('=');
        if (!inSection || eq == std::string_view::npos)
            continue;
        std::string_view key = Trim(line.substr(0, eq));
        if (key.empty())
            continue;
        Set(current, key, Trim(line.substr(eq + 1)));
    }
}

const CSettingsStore::Entry* CSettingsStore::FindEntry(std::string_view section,
                                                       std::string_view key) const {
    for (const auto& s : sections_) {
        if (!SameName(s.name, section))
            continue;
        for (const auto& e : s.entries)
            if (SameName(e.key, key))
                return &e;
    }
    return nullptr;
}

void CSettingsStore::Set(std::string_view section, std::string_view key, std::string_view value) {
    Section* target = nullptr;
    for (auto& s : sections_)
        if (SameName(s.name, section))
            target = &s;
    if (!target) {
        sections_.push_back({std::string(section), {}});
        target = &sections_.back();
    }
    for (auto& e : target->entries) {
        if (SameName(e.key, key)) {
            e.value = std::string(value);
            return;
        }
    }
    target->entries.push_back({std::string(key), std::string(value)});
}

std::optional<std::string> CSettingsStore::Find(std::string_view section,
                                                std::string_view key) const {
    std::lock_guard lock(mutex_);
    if (const Entry* e = FindEntry(section, key))
        return e->value;
    return std::nullopt;
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
        key.find('=') != std::string_view::npos) {
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

bool CSettingsStore::Save() {
    if (path_.empty())
        return true;
    std::string text;
    for (const auto& s : sections_) {
        text += '[' + s.name + "]\n";
        for (const auto& e : s.entries)
            text += e.key + '=' + e.value + '\n';
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
