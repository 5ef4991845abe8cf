#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <future>
#include <memory>
#include <sys/stat.h>

#include "base/SettingsStore.h"
#include "base/WindowRect.h"
#include "support/TempDir.h"
#include "support/TestUi.h"
#include "support/WholeFile.h"

namespace {

class SettingsFile : public ::testing::Test {
protected:
    std::unique_ptr<CSettingsStore> Reload() {
        auto store = std::make_unique<CSettingsStore>(path_);
        store->Load();
        return store;
    }

    TempDir dir_;
    std::string path_ = dir_.File("Arktronic/Tundrix.INI");
};

} // namespace

TEST_F(SettingsFile, AbsentValuesGiveTheirDefaults) {
    auto store = Reload();
    EXPECT_EQ(5000, store->GetInt("CommunicationSetup", "IPPort", 5000));
    EXPECT_EQ("30.0", store->GetString("LOG", "INTERVAL", "30.0"));
    EXPECT_FALSE(std::filesystem::exists(path_));
}

TEST_F(SettingsFile, EveryWriteReachesTheFileAndSurvivesARestart) {
    auto store = Reload();
    ASSERT_TRUE(store->WriteInt("CommunicationSetup", "GPIBAddr", 21));
    ASSERT_TRUE(store->WriteString("LOG", "INTERVAL", "2.5"));
    ASSERT_TRUE(store->WriteInt("MAINVIEWPOS", "WinLeft", -40));
    auto again = Reload();
    EXPECT_EQ(21, again->GetInt("CommunicationSetup", "GPIBAddr", 12));
    EXPECT_EQ("2.5", again->GetString("LOG", "INTERVAL", "30.0"));
    EXPECT_EQ(-40, again->GetInt("MAINVIEWPOS", "WinLeft", 0));
    EXPECT_EQ("[CommunicationSetup]\nGPIBAddr=21\n\n[LOG]\nINTERVAL=2.5\n\n"
              "[MAINVIEWPOS]\nWinLeft=-40\n\n",
              ReadFile(path_));
}

TEST_F(SettingsFile, SectionsAndKeysAreOneWhateverTheirCase) {
    WriteFile((std::filesystem::create_directories(dir_.File("Arktronic")), path_),
              "[CommunicationSetup]\nBaudrate=3\n");
    auto store = Reload();
    EXPECT_EQ(3, store->GetInt("communicationsetup", "BaudRate", 0));
    ASSERT_TRUE(store->WriteInt("CommunicationSetup", "BaudRate", 5));
    EXPECT_EQ(5, Reload()->GetInt("CommunicationSetup", "Baudrate", 0));
    // One key, in the spelling first seen, and the file's own layout kept.
    EXPECT_EQ("[CommunicationSetup]\nBaudrate=5\n", ReadFile(path_));
}

TEST_F(SettingsFile, WritesLeaveNoTemporaryFilesBehind) {
    auto store = Reload();
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(store->WriteInt("S", "K" + std::to_string(i), i));
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.File("Arktronic"))) {
        EXPECT_EQ("Tundrix.INI", entry.path().filename());
        ++files;
    }
    EXPECT_EQ(1, files);
}

TEST_F(SettingsFile, AFailedWriteIsReportedAndTheValueKeptInMemory) {
    // A regular file where the folder should be: no one, not even root, can write there.
    WriteFile(dir_.File("blocker"), "x");
    CSettingsStore store(dir_.File("blocker/Tundrix.INI"));
    EXPECT_FALSE(store.WriteInt("CommunicationSetup", "PortType", 2));
    EXPECT_EQ(2, store.GetInt("CommunicationSetup", "PortType", 0));
    EXPECT_NE(std::string::npos, store.LastError().find("blocker"));
}

TEST_F(SettingsFile, ValuesThatCannotBeStoredAreRefused) {
    auto store = Reload();
    EXPECT_FALSE(store->WriteString("Recent File List", "File1", "a\nb"));
    EXPECT_FALSE(store->WriteString("S", "key=x", "1"));
    EXPECT_FALSE(store->WriteString("", "K", "1"));
    EXPECT_EQ("none", store->GetString("Recent File List", "File1", "none"));
}

TEST_F(SettingsFile, AMalformedFileIsReadForWhatItHoldsAndNeverCrashes) {
    std::filesystem::create_directories(dir_.File("Arktronic"));
    std::string text = "orphan=1\n"
                       "[CommunicationSetup\n"
                       "garbage line without equals\n"
                       "[CommunicationSetup]\n"
                       "PortType=2\n"
                       "GPIBAddr=not a number\n"
                       "IPPort=99999999999\n"
                       "IPAddr0=\x01\x02\xff\n" +
                       std::string(3 * 1024 * 1024, 'A') + "=huge\n" +
                       std::string("\0\0binary\0", 9) +
                       "\n"
                       "  CommPort = 4  \r\n"
                       "=no key\n";
    WriteFile(path_, text);
    auto store = Reload();
    EXPECT_EQ(2, store->GetInt("CommunicationSetup", "PortType", 0));
    EXPECT_EQ(4, store->GetInt("CommunicationSetup", "CommPort", 1));
    EXPECT_EQ(12, store->GetInt("CommunicationSetup", "GPIBAddr", 12));
    EXPECT_EQ(5000, store->GetInt("CommunicationSetup", "IPPort", 5000));
    EXPECT_EQ(192, store->GetInt("CommunicationSetup", "IPAddr0", 192));
    EXPECT_EQ(0, store->GetInt("", "orphan", 0));
    // Rewritten with everything it held, the garbage too: only the changed line differs.
    ASSERT_TRUE(store->WriteInt("CommunicationSetup", "PortType", 0));
    std::string expected = text;
    expected.replace(expected.find("PortType=2"), 10, "PortType=0");
    EXPECT_TRUE(expected == ReadFile(path_)) << "the file was not kept as it was";
}

TEST_F(SettingsFile, WindowRectanglesUseFourKeysAndAllZeroMeansNone) {
    auto store = Reload();
    EXPECT_TRUE(ReadWindowRect(*store, "MAINVIEWPOS").IsEmpty());
    WindowRect rect{10, 20, 650, 500};
    ASSERT_TRUE(WriteWindowRect(*store, "S_TERM_POS", rect));
    auto again = Reload();
    EXPECT_EQ(rect, ReadWindowRect(*again, "S_TERM_POS"));
    EXPECT_EQ(650, again->GetInt("S_TERM_POS", "WinRight", 0));
    EXPECT_FALSE(rect.IsEmpty());
}

TEST(SettingsPath, CommandLineThenEnvironmentThenXdgThenHome) {
    ::setenv("TUNDRIX_SETTINGS", "/tmp/from-env.INI", 1);
    EXPECT_EQ("/tmp/explicit.INI", ResolveSettingsPath("/tmp/explicit.INI"));
    EXPECT_EQ("/tmp/from-env.INI", ResolveSettingsPath(""));
    ::unsetenv("TUNDRIX_SETTINGS");
    ::setenv("XDG_CONFIG_HOME", "/tmp/xdg", 1);
    EXPECT_EQ("/tmp/xdg/Arktronic/Tundrix.INI", ResolveSettingsPath(""));
    ::unsetenv("XDG_CONFIG_HOME");
    ::setenv("HOME", "/home/lab", 1);
    EXPECT_EQ("/home/lab/.config/Arktronic/Tundrix.INI", ResolveSettingsPath(""));
}

TEST_F(SettingsFile, CommentsBlankLinesAndUnknownLinesStayWhereTheUserPutThem) {
    std::filesystem::create_directories(dir_.File("Arktronic"));
    const std::string handWritten = "; Tundrix settings, edited by hand\n"
                                    "\n"
                                    "[CommunicationSetup]\n"
                                    "PortType=0\n"
                                    "# the lab's second controller\n"
                                    "CommPort=1\n"
                                    "\n"
                                    "[SerialDevices]\n"
                                    "; the USB adapter on the bench\n"
                                    "COM2=/dev/ttyUSB1\n"
                                    "a line the program does not know\n"
                                    "\n"
                                    "[LOG]\n"
                                    "INTERVAL=30.0\n";
    WriteFile(path_, handWritten);
    auto store = Reload();
    ASSERT_TRUE(store->WriteInt("CommunicationSetup", "PortType", 3));
    ASSERT_TRUE(store->WriteInt("CommunicationSetup", "IPPort", 7000));
    ASSERT_TRUE(store->WriteString("SerialDevices", "COM3", "/dev/ttyUSB2"));
    ASSERT_TRUE(store->WriteInt("MAINVIEWPOS", "WinLeft", 10));
    EXPECT_EQ("; Tundrix settings, edited by hand\n"
              "\n"
              "[CommunicationSetup]\n"
              "PortType=3\n"
              "# the lab's second controller\n"
              "CommPort=1\n"
              "IPPort=7000\n"
              "\n"
              "[SerialDevices]\n"
              "; the USB adapter on the bench\n"
              "COM2=/dev/ttyUSB1\n"
              "COM3=/dev/ttyUSB2\n"
              "a line the program does not know\n"
              "\n"
              "[LOG]\n"
              "INTERVAL=30.0\n"
              "\n"
              "[MAINVIEWPOS]\n"
              "WinLeft=10\n"
              "\n",
              ReadFile(path_));
}

TEST_F(SettingsFile, WindowsLineEndsAndRepeatedKeysAreKept) {
    std::filesystem::create_directories(dir_.File("Arktronic"));
    WriteFile(path_, "[CommunicationSetup]\r\nGPIBAddr=4\r\nGPIBAddr=5\r\n");
    auto store = Reload();
    // The later line counts, and it is the one rewritten.
    EXPECT_EQ(5, store->GetInt("CommunicationSetup", "GPIBAddr", 0));
    ASSERT_TRUE(store->WriteInt("CommunicationSetup", "GPIBAddr", 7));
    ASSERT_TRUE(store->WriteInt("CommunicationSetup", "PortType", 2));
    EXPECT_EQ("[CommunicationSetup]\r\nGPIBAddr=4\r\nGPIBAddr=7\r\nPortType=2\r\n",
              ReadFile(path_));
    EXPECT_EQ(7, Reload()->GetInt("CommunicationSetup", "GPIBAddr", 0));
}

TEST_F(SettingsFile, AFileReadOnlyInPartIsNeverSavedOverAndTheLogSaysSoOnce) {
    std::filesystem::create_directories(dir_.File("Arktronic"));
    std::string big = "[CommunicationSetup]\nPortType=2\n[Notes]\n";
    while (big.size() <= CSettingsStore::MaxFileSize)
        big += "Note=" + std::string(1000, 'n') + "\n";
    big += "[LOG]\nINTERVAL=2.5\n"; // beyond the part that is read
    WriteFile(path_, big);
    TestUi ui;
    CSettingsStore store(path_);
    store.SetMessageLog(&ui);
    store.Load();
    EXPECT_FALSE(store.CanSave());
    EXPECT_EQ(2, store.GetInt("CommunicationSetup", "PortType", 0));
    EXPECT_FALSE(store.WriteInt("CommunicationSetup", "PortType", 3));
    EXPECT_FALSE(store.WriteInt("CommunicationSetup", "GPIBAddr", 9));
    // Kept in memory for this run.
    EXPECT_EQ(3, store.GetInt("CommunicationSetup", "PortType", 0));
    EXPECT_EQ(9, store.GetInt("CommunicationSetup", "GPIBAddr", 0));
    EXPECT_TRUE(big == ReadFile(path_)) << "the settings file was written over";
    const std::string reason = path_ +
                               ": the settings file is larger than 4 MiB and was read only in "
                               "part; it is not saved to, and changed settings last until the "
                               "program ends";
    EXPECT_EQ(reason, store.LastError());
    EXPECT_EQ(reason + "\n", ui.Log());

    // A log given after the file was read still hears of it, once.
    TestUi later;
    CSettingsStore again(path_);
    again.Load();
    again.SetMessageLog(&later);
    again.SetMessageLog(&later);
    EXPECT_EQ(reason + "\n", later.Log());
}

TEST_F(SettingsFile, APipeIsNeitherReadNorWrittenAndNothingBlocks) {
    std::filesystem::create_directories(dir_.File("Arktronic"));
    ASSERT_EQ(0, ::mkfifo(path_.c_str(), 0600));
    TestUi ui;
    CSettingsStore store(path_);
    store.SetMessageLog(&ui);
    // Opening a pipe for reading waits for a writer unless told not to.
    auto loaded = std::async(std::launch::async, [&] { store.Load(); });
    if (loaded.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        ADD_FAILURE() << "loading a pipe as the settings file blocked";
        std::exit(1);
    }
    EXPECT_FALSE(store.WriteInt("CommunicationSetup", "PortType", 2));
    EXPECT_EQ(path_ +
                  ": not a regular file; the settings are neither read from it nor saved to it\n",
              ui.Log());
    EXPECT_TRUE(std::filesystem::is_fifo(path_));
}

TEST_F(SettingsFile, ARewrittenFileKeepsItsPermissionsAndItsLink) {
    std::filesystem::create_directories(dir_.File("Arktronic"));
    std::filesystem::create_directories(dir_.File("dotfiles"));
    const std::string real = dir_.File("dotfiles/Tundrix.INI");
    WriteFile(real, "[CommunicationSetup]\nPortType=0\n");
    ::chmod(real.c_str(), 0600);
    std::filesystem::create_symlink(real, path_);
    auto store = Reload();
    ASSERT_TRUE(store->WriteInt("CommunicationSetup", "PortType", 2)) << store->LastError();
    EXPECT_TRUE(std::filesystem::is_symlink(path_));
    EXPECT_EQ("[CommunicationSetup]\nPortType=2\n", ReadFile(real));
    struct stat info {};
    ::stat(real.c_str(), &info);
    EXPECT_EQ(0600u, info.st_mode & 07777);
}
