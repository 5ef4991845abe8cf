#include "python/TempFolder.h"

#include <cstdlib>

#include "python/Errors.h"

CTempFolder::CTempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tundrix-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw FileFailure("no temporary folder could be made in " + pattern);
    path_ = pattern;
}

CTempFolder::~CTempFolder() {
    if (path_.empty())
        return;
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string CTempFolder::Release() {
    std::string path = path_.string();
    path_.clear();
    return path;
}
