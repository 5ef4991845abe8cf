#pragma once

#include <string>

// The scratch installation the fixture test install_scratch makes before these
// tests run: `cmake --install` of this build with prefix /usr into
// TUNDRIX_INSTALL_ROOT. Nothing of it is found through the build folder.
namespace InstallTree {

inline std::string Root() {
    return TUNDRIX_INSTALL_ROOT;
}
inline std::string Usr() {
    return Root() + "/usr";
}
inline std::string Program(const std::string& name) {
    return Usr() + "/" TUNDRIX_INSTALL_BINDIR "/" + name;
}
inline std::string PrivateLibrary(const std::string& name) {
    return Usr() + "/" TUNDRIX_INSTALL_PRIVATE_LIBDIR "/" + name;
}
inline std::string Page(const std::string& program) {
    return Usr() + "/" TUNDRIX_INSTALL_MANDIR "/man1/" + program + ".1.gz";
}
inline std::string Share(const std::string& path) {
    return Usr() + "/" TUNDRIX_INSTALL_DATAROOTDIR "/" + path;
}

} // namespace InstallTree
