#pragma once

#include <filesystem>
#include <string>

// A folder of its own for the files an operation writes and the module reads
// back; removed with what it holds at the end.
class CTempFolder {
public:
    // Raises FileError when no folder can be made.
    CTempFolder();
    ~CTempFolder();
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;

    std::string File(const char* name) const { return (path_ / name).string(); }
    // The folder is no longer removed here: the caller removes it.
    std::string Release();

private:
    std::filesystem::path path_;
};
