#include <gtest/gtest.h>

#include "base/SettingsStore.h"
#include "comm/LinkResult.h"
#include "comm/ResourceString.h"

namespace {

std::optional<InstrumentResource> Parse(const std::string& text, std::string* error = nullptr) {
    static CSettingsStore settings("");
    std::string why;
    auto result = ParseResource(text, settings, why);
    if (error)
        *error = why;
    return result;
}

} // namespace

TEST(ResourceString, SerialDevicesByPathOrPortNumberWithOptionalSpeed) {
    auto byPath = Parse("ASRL/dev/ttyUSB0::INSTR");
    ASSERT_TRUE(byPath);
    EXPECT_EQ("/dev/ttyUSB0", byPath->device);
    EXPECT_EQ(0, byPath->baudIndex);

    auto withSpeed = Parse("asrl/dev/pts/3::instr@9600");
    ASSERT_TRUE(withSpeed);
    EXPECT_EQ("/dev/pts/3", withSpeed->device);
    EXPECT_EQ(4, withSpeed->baudIndex);

    auto byNumber = Parse("ASRL3::INSTR@1200");
    ASSERT_TRUE(byNumber);
    EXPECT_EQ("/dev/ttyS2", byNumber->device);
    EXPECT_EQ(7, byNumber->baudIndex);
}

TEST(ResourceString, RejectsWhatItCannotOpenAndSaysWhy) {
    std::string error;
    EXPECT_FALSE(Parse("ASRL/dev/ttyS0::INSTR@9601", &error));
    EXPECT_NE(std::string::npos, error.find("9601"));
    EXPECT_FALSE(Parse("/dev/ttyS0", &error));
    EXPECT_NE(std::string::npos, error.find("not a resource"));
    EXPECT_FALSE(Parse("ASRL::INSTR", &error));
    EXPECT_FALSE(Parse("ASRLfoo::INSTR", &error));
    EXPECT_FALSE(Parse("ASRL11::INSTR", &error));
    EXPECT_NE(std::string::npos, error.find("COM11"));
    EXPECT_FALSE(Parse("GPIB1::12::INSTR", &error));
    EXPECT_NE(std::string::npos, error.find("board 0"));
    EXPECT_FALSE(Parse("GPIB0::32::INSTR", &error));
    EXPECT_FALSE(Parse("GPIB0::12", &error));
    EXPECT_FALSE(Parse("TCPIP::localhost::5000::SOCKET", &error));
    EXPECT_NE(std::string::npos, error.find("LAN resource"));
    EXPECT_FALSE(Parse("TCPIP::10.0.0.1::70000::SOCKET", &error));
    EXPECT_FALSE(Parse("TCPIP::10.0.0.1::5000::INSTR", &error));
}

TEST(ResourceString, GpibAndLanResources) {
    auto gpib = Parse("GPIB0::12::INSTR");
    ASSERT_TRUE(gpib);
    EXPECT_EQ(PortGPIB, gpib->portType);
    EXPECT_EQ(12, gpib->gpibAddress);
    auto lan = Parse("tcpip0::192.168.0.4::5000::socket");
    ASSERT_TRUE(lan);
    EXPECT_EQ(PortLAN, lan->portType);
    EXPECT_EQ("192.168.0.4", lan->ipAddress);
    EXPECT_EQ(5000, lan->ipPort);
}
