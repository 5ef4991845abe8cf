#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "base/AtomicFile.h"
#include "support/TempDir.h"
#include "support/WholeFile.h"

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

// The names in a folder, to see that no temporary file was left behind.
std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The write, bounded: a writer that opened a pipe would wait for a reader for ever.
bool BoundedWrite(const std::string& path, const std::string& content, std::string& error,
                  const std::string& notSameAs = {}) {
    auto result = std::async(std::launch::async,
                             [&] { return WriteFileAtomically(path, content, &error, notSameAs); });
    if (result.wait_for(5s) != std::future_status::ready) {
        ADD_FAILURE() << "the write of " << path << " did not return";
        std::exit(1); // the thread is stuck in open(); nothing else can end it
    }
    return result.get();
}

class AtomicFile : public ::testing::Test {
protected:
    TempDir dir_;
    std::string error_;
};

} // namespace

TEST_F(AtomicFile, ASymbolicLinkIsWrittenThroughAndStaysALink) {
    // A settings file kept in a dotfiles folder, linked from where the program looks.
    fs::create_directories(dir_.File("dotfiles"));
    fs::create_directories(dir_.File("config"));
    WriteFile(dir_.File("dotfiles/Tundrix.INI"), "old\n");
    ::chmod(dir_.File("dotfiles/Tundrix.INI").c_str(), 0600);
    fs::create_symlink("../dotfiles/Tundrix.INI", dir_.File("config/Tundrix.INI"));
    // and a second link to the first one
    fs::create_symlink(dir_.File("config/Tundrix.INI"), dir_.File("again.INI"));

    ASSERT_TRUE(WriteFileAtomically(dir_.File("again.INI"), "new\n", &error_)) << error_;
    EXPECT_TRUE(fs::is_symlink(dir_.File("again.INI")));
    EXPECT_TRUE(fs::is_symlink(dir_.File("config/Tundrix.INI")));
    EXPECT_EQ("new\n", ReadFile(dir_.File("dotfiles/Tundrix.INI")));
    EXPECT_EQ(0600u, ModeOf(dir_.File("dotfiles/Tundrix.INI")));
    EXPECT_EQ(std::vector<std::string>{"Tundrix.INI"}, Names(dir_.File("dotfiles")));
    EXPECT_EQ(std::vector<std::string>{"Tundrix.INI"}, Names(dir_.File("config")));

    // A link whose file does not exist yet gets that file.
    fs::create_symlink("made.crv", dir_.File("dangling.crv"));
    ASSERT_TRUE(WriteFileAtomically(dir_.File("dangling.crv"), "x\n", &error_)) << error_;
    EXPECT_TRUE(fs::is_symlink(dir_.File("dangling.crv")));
    EXPECT_EQ("x\n", ReadFile(dir_.File("made.crv")));
}

TEST_F(AtomicFile, WhatIsNotARegularFileIsRefusedAndLeftAsItWas) {
    const std::string pipe = dir_.File("pipe.crv");
    ASSERT_EQ(0, ::mkfifo(pipe.c_str(), 0600));
    EXPECT_FALSE(BoundedWrite(pipe, "data\n", error_));
    EXPECT_EQ(pipe + ": not a regular file (a device, a pipe or a folder); nothing was written",
              error_);
    EXPECT_TRUE(fs::is_fifo(pipe));

    fs::create_directories(dir_.File("folder.crv"));
    EXPECT_FALSE(BoundedWrite(dir_.File("folder.crv"), "data\n", error_));
    EXPECT_TRUE(fs::is_directory(dir_.File("folder.crv")));

    // Through a link as well.
    fs::create_symlink("pipe.crv", dir_.File("link.crv"));
    EXPECT_FALSE(BoundedWrite(dir_.File("link.crv"), "data\n", error_));
    EXPECT_TRUE(fs::is_fifo(pipe));
    EXPECT_EQ((std::vector<std::string>{"folder.crv", "link.crv", "pipe.crv"}), Names(dir_.Path()));
}

TEST_F(AtomicFile, ADeviceIsNeverReplaced) {
    // A private copy of /dev/null, so that a writer that got this wrong harms nothing.
    const std::string device = dir_.File("null");
    if (::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0)
        GTEST_SKIP() << "cannot make a device file here (" << std::strerror(errno)
                     << "); the pipe and folder cases cover the same refusal";
    EXPECT_FALSE(BoundedWrite(device, "data\n", error_));
    EXPECT_NE(std::string::npos, error_.find("not a regular file"));
    EXPECT_TRUE(fs::is_character_file(device));
}

TEST_F(AtomicFile, AReadOnlyFileIsRefusedEvenForRoot) {
    const std::string path = dir_.File("kept.crv");
    WriteFile(path, "precious\n");
    ::chmod(path.c_str(), 0444);
    EXPECT_FALSE(WriteFileAtomically(path, "other\n", &error_));
    EXPECT_EQ(path + ": the file is read-only; nothing was written", error_);
    EXPECT_EQ("precious\n", ReadFile(path));
    EXPECT_EQ(0444u, ModeOf(path));
}

TEST_F(AtomicFile, TheFileBeingReadIsNeverTheOneWritten) {
    const std::string input = dir_.File("X.340");
    WriteFile(input, "source\n");
    fs::create_hard_link(input, dir_.File("hard.crv"));
    fs::create_symlink("X.340", dir_.File("soft.crv"));
    for (const std::string& output :
         {input, dir_.File("hard.crv"), dir_.File("soft.crv"), dir_.Path() + "/./X.340"}) {
        EXPECT_FALSE(WriteFileAtomically(output, "converted\n", &error_, input)) << output;
        EXPECT_EQ(output + ": this is the file being read; choose another file to write", error_);
    }
    EXPECT_EQ("source\n", ReadFile(input));
    EXPECT_TRUE(WriteFileAtomically(dir_.File("X.crv"), "converted\n", &error_, input));
}

TEST_F(AtomicFile, AReplacedFileKeepsItsPermissions) {
    const std::string path = dir_.File("curve.crv");
    WriteFile(path, "old\n");
    ::chmod(path.c_str(), 0640);
    ASSERT_TRUE(WriteFileAtomically(path, "new\n", &error_)) << error_;
    EXPECT_EQ(0640u, ModeOf(path));
    EXPECT_EQ("new\n", ReadFile(path));
}
