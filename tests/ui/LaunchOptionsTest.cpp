#include <gtest/gtest.h>

#include "app/ui/LaunchOptions.h"

namespace {

TEST(LaunchOptionsTest, SimulateTakesAnOptionalModelCodeFrom27To35) {
    LaunchOptions plain = ParseLaunchOptions({});
    EXPECT_FALSE(plain.simulate);
    EXPECT_TRUE(plain.error.isEmpty());

    LaunchOptions byDefault = ParseLaunchOptions({"--simulate"});
    EXPECT_TRUE(byDefault.simulate);
    EXPECT_EQ(byDefault.model, 28);

    EXPECT_EQ(ParseLaunchOptions({"--simulate=27"}).model, 27);
    EXPECT_EQ(ParseLaunchOptions({"--simulate=35"}).model, 35);
    for (const char* wrong : {"--simulate=26", "--simulate=36", "--simulate=abc", "--simulate="}) {
        LaunchOptions options = ParseLaunchOptions({wrong});
        EXPECT_FALSE(options.error.isEmpty()) << wrong;
        EXPECT_TRUE(options.error.contains("27 to 35")) << options.error.toStdString();
    }
}

TEST(LaunchOptionsTest, SettingsFileInEitherFormAndWrongArgumentsAreRefused) {
    EXPECT_EQ(ParseLaunchOptions({"--settings", "/tmp/a.INI"}).settingsPath, "/tmp/a.INI");
    LaunchOptions both = ParseLaunchOptions({"--simulate=30", "--settings=/tmp/b.INI"});
    EXPECT_EQ(both.settingsPath, "/tmp/b.INI");
    EXPECT_EQ(both.model, 30);
    EXPECT_TRUE(both.error.isEmpty());

    EXPECT_FALSE(ParseLaunchOptions({"--settings"}).error.isEmpty());
    EXPECT_FALSE(ParseLaunchOptions({"--settings="}).error.isEmpty());
    EXPECT_FALSE(ParseLaunchOptions({"--simulate", "30"}).error.isEmpty());
    EXPECT_FALSE(ParseLaunchOptions({"--verbose"}).error.isEmpty());
    EXPECT_TRUE(ParseLaunchOptions({"--help"}).help);
}

} // namespace
