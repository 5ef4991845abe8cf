#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "base/SettingsStore.h"
#include "base/WindowRect.h"
#include "support/TempDir.h"

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

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
    // One key, in the spelling first seen.
    EXPECT_EQ("[CommunicationSetup]\nBaudrate=5\n\n", ReadFile(path_));
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
    // Rewritten without the garbage; values that are text, not numbers, are kept.
    ASSERT_TRUE(store->WriteInt("CommunicationSetup", "PortType", 0));
    EXPECT_EQ("[CommunicationSetup]\nPortType=0\nGPIBAddr=not a number\nIPPort=99999999999\n"
              "CommPort=4\n\n",
              ReadFile(path_));
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
