#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

#include "InstallTree.h"
#include "support/RunProgram.h"

// The desktop entries as the application menu reads them after the install:
// they validate, the program of every Exec= is on the PATH of the installed
// programs, and their icon resolves in the hicolor theme at the usual sizes.

namespace fs = std::filesystem;

namespace {

#if TUNDRIX_WITH_GUI

const int IconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// The groups of a desktop entry: group name to its keys.
std::map<std::string, std::map<std::string, std::string>> ReadEntry(const std::string& path) {
    std::map<std::string, std::map<std::string, std::string>> groups;
    std::ifstream file(path);
    std::string line;
    std::string group;
    while (std::getline(file, line)) {
        if (line.size() > 2 && line.front() == '[' && line.back() == ']') {
            group = line.substr(1, line.size() - 2);
        } else if (const std::size_t equals = line.find('='); equals != std::string::npos) {
            groups[group][line.substr(0, equals)] = line.substr(equals + 1);
        }
    }
    return groups;
}

// Width and height from a PNG file's header, or {0, 0}.
std::pair<std::uint32_t, std::uint32_t> PngSize(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    unsigned char header[24] = {};
    file.read(reinterpret_cast<char*>(header), sizeof header);
    static const unsigned char Signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (!file || std::memcmp(header, Signature, 8) != 0 || std::memcmp(header + 12, "IHDR", 4) != 0)
        return {0, 0};
    auto big = [&](int at) {
        return std::uint32_t(header[at]) << 24 | std::uint32_t(header[at + 1]) << 16 |
               std::uint32_t(header[at + 2]) << 8 | std::uint32_t(header[at + 3]);
    };
    return {big(16), big(20)};
}

void CheckEntry(const std::string& file, const std::string& program) {
    const std::string path = InstallTree::Share("applications/" + file);
    ASSERT_TRUE(fs::is_regular_file(path)) << path;

    const ProgramResult validate = RunProgram("/usr/bin/desktop-file-validate", {path});
    EXPECT_EQ(0, validate.exitCode) << "desktop-file-validate is in scripts/install-deps.sh";
    EXPECT_EQ("", validate.out + validate.err);

    auto groups = ReadEntry(path);
    auto& entry = groups["Desktop Entry"];
    EXPECT_EQ("Application", entry["Type"]);
    EXPECT_NE(std::string::npos, (";" + entry["Categories"]).find(";Science;"));
    // Each Exec= names its program bare, found on PATH: the installed bin/.
    for (const auto& [group, keys] : groups) {
        if (!keys.count("Exec"))
            continue;
        const std::string exec = keys.at("Exec");
        EXPECT_EQ(program, exec.substr(0, exec.find(' '))) << group;
        EXPECT_EQ(0, ::access(InstallTree::Program(program).c_str(), X_OK)) << group;
    }

    const std::string icon = entry["Icon"];
    EXPECT_EQ(program, icon);
    for (const int size : IconSizes) {
        const std::string folder = std::to_string(size) + "x" + std::to_string(size) + "/apps";
        const std::string png = InstallTree::Share("icons/hicolor/" + folder + "/" + icon + ".png");
        EXPECT_EQ(std::make_pair(std::uint32_t(size), std::uint32_t(size)), PngSize(png)) << png;
    }
}

#endif

} // namespace

#if TUNDRIX_WITH_GUI

TEST(InstalledDesktopEntries, TheUtilitysEntryValidatesAndResolves) {
    CheckEntry("tundrix.desktop", "tundrix");
    // The simulated run is offered beside it.
    auto groups = ReadEntry(InstallTree::Share("applications/tundrix.desktop"));
    EXPECT_EQ("tundrix --simulate", groups["Desktop Action simulate"]["Exec"]);
}

TEST(InstalledDesktopEntries, TheCalculatorsEntryValidatesAndResolves) {
    CheckEntry("vaporix.desktop", "vaporix");
}

// An icon resolves in the theme only in the folders its index lists.
TEST(InstalledDesktopEntries, TheIconFoldersAreThoseOfTheHicolorTheme) {
    std::ifstream index("/usr/share/icons/hicolor/index.theme");
    ASSERT_TRUE(index) << "hicolor-icon-theme is in scripts/install-deps.sh";
    std::string line;
    std::string directories;
    while (std::getline(index, line))
        if (line.rfind("Directories=", 0) == 0)
            directories = "," + line.substr(12) + ",";
    for (const int size : IconSizes) {
        const std::string folder = std::to_string(size) + "x" + std::to_string(size) + "/apps";
        EXPECT_NE(std::string::npos, directories.find("," + folder + ",")) << folder;
    }
}

#endif
