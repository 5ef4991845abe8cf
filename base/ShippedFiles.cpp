#include "base/ShippedFiles.h"

#include <filesystem>
#include <unistd.h>

// Set by the build: the installed library folder relative to the installed
// programs' folder, for example "../lib/x86_64-linux-gnu/tundrix".
#ifndef TUNDRIX_LIBDIR_FROM_BINDIR
#error "TUNDRIX_LIBDIR_FROM_BINDIR must name the private library folder"
#endif

std::string ProgramFolder() {
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        return {};
    std::string folder(self, static_cast<std::size_t>(n));
    folder.erase(folder.find_last_of('/') + 1);
    return folder;
}

std::string FindShippedLibrary(const std::string& name) {
    const std::string folder = ProgramFolder();
    if (folder.empty())
        return {};
    const std::filesystem::path programs(folder);
    for (const std::filesystem::path& candidate :
         {programs / name, programs / TUNDRIX_LIBDIR_FROM_BINDIR / name}) {
        if (::access(candidate.c_str(), R_OK) == 0)
            return candidate.lexically_normal().string();
    }
    return {};
}
