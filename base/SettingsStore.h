#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class IMessageLog;

// The per-user settings store: named sections of integer and text values in an
// INI file. Sections and keys are matched without regard to case ("Baudrate"
// and "BaudRate" name one key); the spelling first seen is kept in the file.
//
// Every write goes through to the file at once, atomically: the whole store is
// written to a temporary file in the same folder and renamed over the old one,
// so a crash never leaves a half-written file. A failed write keeps the value
// in memory and returns false; the caller decides what to tell the user.
//
// The file stays the user's own: comments, blank lines and lines the store
// does not understand are written back as they were, in their places; only
// the lines of values that changed are rewritten, and new values go after the
// last value of their section (a new section at the end).
//
// Reading is forgiving: a line that is not "[section]" or "key=value", holds
// control bytes, or is longer than MaxLineLength is kept but ignored; when a
// key appears twice in a section the later line counts. A file that could
// not be read whole (bigger than MaxFileSize, unreadable, or not a regular
// file: a pipe would block the program) is never saved over: its values and
// later changes are kept in memory only, and the message log says so once.
//
// Safe to use from several threads.
class CSettingsStore {
public:
    static constexpr std::size_t MaxLineLength = 4096;
    static constexpr std::size_t MaxFileSize = std::size_t{4} * 1024 * 1024;

    // An empty path keeps the store in memory only; writes then always succeed.
    explicit CSettingsStore(std::string path);

    // Reads the file; a missing file leaves the store empty.
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
    // False when the file could not be read whole and is therefore never written.
    bool CanSave() const;

    // Where the store says, once, that its file is not saved to. A reason found
    // before the log was given is said when it is given. Null detaches it.
    void SetMessageLog(IMessageLog* log);

private:
    enum class LineKind { Other, Header, Entry };
    struct Line {
        LineKind kind = LineKind::Other;
        std::string text;    // as read, without its line feed; rebuilt when a value changes
        std::string section; // Header: the section's name
        std::string key;     // Entry: the key in its first spelling
        std::string value;   // Entry
        bool carriageReturn = false;
    };

    // The line of the value, the last of its section, or npos.
    std::size_t FindEntry(std::string_view section, std::string_view key) const;
    void Set(std::string_view section, std::string_view key, std::string_view value);
    bool Save();
    void Parse(std::string_view text);
    std::string TakeReport();

    std::string path_;
    std::vector<Line> lines_;
    bool crlf_ = false;
    std::string notSavedReason_; // set when the file must not be saved over
    bool reported_ = false;
    IMessageLog* log_ = nullptr;
    std::string lastError_;
    mutable std::mutex mutex_;
};

// Where the settings file lives: an explicit path (--settings) first, then
// TUNDRIX_SETTINGS, then $XDG_CONFIG_HOME/Arktronic/Tundrix.INI, then
// ~/.config/Arktronic/Tundrix.INI.
std::string ResolveSettingsPath(const std::string& explicitPath);

// The folder that holds the default settings file ($XDG_CONFIG_HOME/Arktronic).
std::string SettingsFolder();
