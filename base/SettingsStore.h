#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The per-user settings store: named sections of integer and text values in an
// INI file. Sections and keys are matched without regard to case ("Baudrate"
// and "BaudRate" name one key); the spelling first seen is kept in the file.
//
// Every write goes through to the file at once, atomically: the whole store is
// written to a temporary file in the same folder and renamed over the old one,
// so a crash never leaves a half-written file. A failed write keeps the value
// in memory and returns false; the caller decides what to tell the user.
//
// Reading is forgiving: a line that is not "[section]" or "key=value", holds
// control bytes, or is longer than MaxLineLength is ignored; only the first
// MaxFileSize bytes of a file are read.
//
// Safe to use from several threads.
class CSettingsStore {
public:
    static constexpr std::size_t MaxLineLength = 4096;
    static constexpr std::size_t MaxFileSize = std::size_t{4} * 1024 * 1024;

    // An empty path keeps the store in memory only; writes then always succeed.
    explicit CSettingsStore(std::string path);

    // Reads the file; a missing or unreadable file leaves the store empty.
    void Load();

    const std::string& Path() const { return path_; }

    int GetInt(std::string_view section, std::string_view key, int defaultValue) const;
    std::string GetString(std::string_view section, std::string_view key,
                          std::string_view defaultValue) const;
    std::optional<std::string> Find(std::string_view section, std::string_view key) const;

    bool WriteInt(std::string_view section, std::string_view key, int value);
    // Values cannot hold line breaks or NUL; such a value is refused (false).
    bool WriteString(std::string_view section, std::string_view key, std::string_view value);

    // Why the last write failed, for the message log or standard error.
    std::string LastError() const;

private:
    struct Entry {
        std::string key;
        std::string value;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };

    const Entry* FindEntry(std::string_view section, std::string_view key) const;
    void Set(std::string_view section, std::string_view key, std::string_view value);
    bool Save();
    void Parse(std::string_view text);

    std::string path_;
    std::vector<Section> sections_;
    std::string lastError_;
    mutable std::mutex mutex_;
};

// Where the settings file lives: an explicit path (--settings) first, then
// TUNDRIX_SETTINGS, then $XDG_CONFIG_HOME/Arktronic/Tundrix.INI, then
// ~/.config/Arktronic/Tundrix.INI.
std::string ResolveSettingsPath(const std::string& explicitPath);

// The folder that holds the default settings file ($XDG_CONFIG_HOME/Arktronic).
std::string SettingsFolder();
