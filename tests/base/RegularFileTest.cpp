#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

#include "base/RegularFile.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

std::string ReadAll(int fd) {
    std::string text;
    char buffer[64];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    return text;
}

TEST(RegularFile, AFileAndALinkToItOpenForReading) {
    TempDir dir;
    std::ofstream(dir.File("curve.crv"), std::ios::binary) << "Probe\r\n;\r\n";
    fs::create_symlink("curve.crv", dir.File("link.crv"));
    for (const char* name : {"curve.crv", "link.crv"}) {
        const int fd = OpenRegularFile(dir.File(name));
        ASSERT_GE(fd, 0) << name;
        EXPECT_EQ("Probe\r\n;\r\n", ReadAll(fd));
        ::close(fd);
    }
}

// A pipe nobody writes to would block an ordinary open for ever.
TEST(RegularFile, PipesFoldersAndMissingFilesAreRefusedAtOnce) {
    TempDir dir;
    ASSERT_EQ(0, ::mkfifo(dir.File("pipe").c_str(), 0600));
    fs::create_directory(dir.File("folder"));
    errno = 0;
    EXPECT_EQ(-1, OpenRegularFile(dir.File("pipe")));
    EXPECT_EQ(EINVAL, errno);
    errno = 0;
    EXPECT_EQ(-1, OpenRegularFile(dir.File("folder")));
    EXPECT_EQ(EINVAL, errno);
    errno = 0;
    EXPECT_EQ(-1, OpenRegularFile(dir.File("missing")));
    EXPECT_EQ(ENOENT, errno);
    EXPECT_EQ(-1, OpenRegularFile("/dev/null"));
}

} // namespace
