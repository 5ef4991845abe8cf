#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "calc/TitleChannel.h"
#include "support/TempDir.h"

namespace {

// A private runtime folder: no calculator of the user's answers.
class TitleChannel : public ::testing::Test {
protected:
    void SetUp() override { ::setenv("XDG_RUNTIME_DIR", runtime_.Path().c_str(), 1); }
    void TearDown() override { ::unsetenv("XDG_RUNTIME_DIR"); }

    TempDir runtime_;
    std::string folder_ = runtime_.File("arktronic-windows");
};

} // namespace

TEST_F(TitleChannel, NamesOfDeadProgramsAreRemovedAndOnlyAPrivateFolderIsUsed) {
    ASSERT_FALSE(CTitleChannel::Folder().empty());
    const std::string stale = folder_ + "/Vaporix.999999";
    int fd = ::socket(AF_UNIX, SOCK_DGRAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", stale.c_str());
    ASSERT_EQ(0, ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address));
    ::close(fd); // what a killed program leaves
    EXPECT_FALSE(CTitleChannel::PostClose(VaporixTitle));
    EXPECT_FALSE(std::filesystem::exists(stale));
    // A title is a file name whatever its characters.
    CTitleChannel odd;
    ASSERT_TRUE(odd.Listen("../a b.%"));
    EXPECT_TRUE(CTitleChannel::IsOpen("../a b.%"));
    EXPECT_FALSE(CTitleChannel::IsOpen(".."));
    odd.Close();
    EXPECT_TRUE(std::filesystem::is_empty(folder_)) << "a closed window leaves nothing";

    // Others could send requests through a folder they can reach, or one a link leads to.
    CTitleChannel window;
    ASSERT_EQ(0, ::chmod(folder_.c_str(), 0777));
    EXPECT_FALSE(window.Listen(VaporixTitle));
    std::filesystem::remove(folder_);
    ASSERT_EQ(0, ::symlink(runtime_.Path().c_str(), folder_.c_str()));
    EXPECT_FALSE(window.Listen(VaporixTitle));
    EXPECT_EQ("", CTitleChannel::Folder());
}
