#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "logging/DataLogFile.h"
#include "logging/LoggingHarness.h"
#include "support/TempDir.h"
#include "support/TestUi.h"

namespace fs = std::filesystem;

TEST(DataLogFile, CreateReplacesTheFileAndEveryLineEndsWithCrLf) {
    TempDir dir;
    const std::string path = dir.File("log.csv");
    std::ofstream(path) << "an older file, longer than what replaces it\n";
    TestUi ui;
    CDataLogFile file(ui);
    ASSERT_TRUE(file.Create(path, "head\n"));
    EXPECT_TRUE(file.Append("1:2:3,4.5\n"));
    EXPECT_TRUE(file.Append("name\r\n"));
    EXPECT_EQ("head\r\n1:2:3,4.5\r\nname\r\r\n", ReadFile(path));
    EXPECT_EQ("", ui.Log());

    std::string error;
    EXPECT_FALSE(file.Create(dir.File("no-folder/log.csv"), "", &error));
    EXPECT_FALSE(error.empty());
}

TEST(DataLogFile, RowsThatFindTheFileClosedAreWrittenInOrderOnceItOpens) {
    TempDir dir;
    const std::string folder = dir.File("share");
    fs::create_directory(folder);
    const std::string path = folder + "/log.csv";
    TestUi ui;
    CDataLogFile file(ui);
    ASSERT_TRUE(file.Create(path, "head\n"));
    ASSERT_TRUE(file.Append("row 1\n"));

    // The share goes away for a while: the file cannot be opened.
    fs::rename(folder, dir.File("away"));
    EXPECT_FALSE(file.Append("row 2\n"));
    EXPECT_FALSE(file.Append("row 3\n"));
    EXPECT_EQ(14u, file.PendingBytes());
    const std::string failed = ui.Log();
    EXPECT_EQ(0u, failed.find("Cannot write to the data log file " + path + " (")) << failed;
    EXPECT_EQ(1, std::count(failed.begin(), failed.end(), '\n')) << "said once: " << failed;

    fs::rename(dir.File("away"), folder);
    EXPECT_TRUE(file.Append("row 4\n"));
    EXPECT_EQ(0u, file.PendingBytes());
    EXPECT_EQ("head\r\nrow 1\r\nrow 2\r\nrow 3\r\nrow 4\r\n", ReadFile(path));
    EXPECT_EQ(failed + "The data log file " + path + " is written again; no row was lost.\n",
              ui.Log());
}

TEST(DataLogFile, AFullDiskKeepsTheRowInsteadOfHalfWritingIt) {
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    TempDir dir;
    const std::string path = dir.File("log.csv");
    TestUi ui;
    CDataLogFile file(ui);
    ASSERT_TRUE(file.Create(path, ""));
    // The file now leads to a device that is always full.
    fs::remove(path);
    fs::create_symlink("/dev/full", path);
    EXPECT_FALSE(file.Append("1:2:3,4.5\n"));
    EXPECT_EQ(11u, file.PendingBytes());
    EXPECT_NE(std::string::npos, ui.Log().find("(No space left on device)")) << ui.Log();
    EXPECT_EQ(11u, file.DropPending());
    EXPECT_EQ(0u, file.PendingBytes());
}

TEST(DataLogFile, ARowTheFileSystemTakesOnlyPartOfIsCutBackAndKept) {
    TempDir dir;
    const std::string path = dir.File("log.csv");
    // In a child process, whose file size limit lets 5 bytes of the row in:
    // the file system takes part of the write and refuses the rest.
    const pid_t child = ::fork();
    ASSERT_NE(-1, child);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        TestUi ui;
        CDataLogFile file(ui);
        int fault = 0;
        if (!file.Create(path, "Time,A\n"))
            fault = 10;
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = 8 + 5;
        if (fault == 0 && ::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            fault = 11;
        if (fault == 0 && file.Append("1:2:3,4.5\n"))
            fault = 12;
        if (fault == 0 && file.PendingBytes() != 11)
            fault = 13;
        if (fault == 0 && ReadFile(path) != "Time,A\r\n")
            fault = 14;
        // Room again: the kept row is written whole, once.
        limit.rlim_cur = limit.rlim_max;
        if (fault == 0 && (::setrlimit(RLIMIT_FSIZE, &limit) != 0 || !file.Append("5:6:7,8\n")))
            fault = 15;
        ::_exit(fault);
    }
    int status = 0;
    ASSERT_EQ(child, ::waitpid(child, &status, 0));
    ASSERT_TRUE(WIFEXITED(status)) << status;
    // 14: the part of the row that was taken stayed in the file.
    EXPECT_EQ(0, WEXITSTATUS(status));
    EXPECT_EQ("Time,A\r\n1:2:3,4.5\r\n5:6:7,8\r\n", ReadFile(path));
}

TEST(DataLogFile, KeptTextIsBoundedAndTheLossSaidOnce) {
    TempDir dir;
    TestUi ui;
    CDataLogFile file(ui);
    ASSERT_TRUE(file.Create(dir.File("log.csv"), ""));
    fs::remove_all(dir.Path());
    const std::string big(CDataLogFile::MaxPending / 2, 'x');
    EXPECT_FALSE(file.Append(big));
    EXPECT_FALSE(file.Append(big));
    EXPECT_FALSE(file.Append(big));
    EXPECT_FALSE(file.Append(big));
    EXPECT_EQ(CDataLogFile::MaxPending, file.PendingBytes());
    const std::string log = ui.Log();
    EXPECT_NE(std::string::npos,
              log.find("has not opened for too long: further lines are lost.\n"));
    EXPECT_EQ(2, std::count(log.begin(), log.end(), '\n')) << log;
}
