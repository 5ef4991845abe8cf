#include <gtest/gtest.h>

#include "base/SettingsStore.h"
#include "comm/LinkResult.h"
#include "comm/MyIPAddr.h"
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
    // 31 is the bus's "unlisten", no device's address.
    EXPECT_FALSE(Parse("GPIB0::31::INSTR", &error));
    EXPECT_EQ("GPIB primary address 31 is out of range (0 to 30)", error);
    EXPECT_TRUE(Parse("GPIB0::30::INSTR", &error));
    EXPECT_FALSE(Parse("GPIB0::12", &error));
    EXPECT_FALSE(Parse("TCPIP::lab host::5000::SOCKET", &error));
    EXPECT_NE(std::string::npos, error.find("LAN resource"));
    EXPECT_FALSE(Parse("TCPIP::-x::5000::SOCKET", &error));
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
    auto named = Parse("TCPIP::localhost::5025::SOCKET");
    ASSERT_TRUE(named);
    EXPECT_EQ("localhost", named->ipAddress);
}

TEST(ResourceString, HostNamesAreLookedUpAndUnknownOnesSayWhy) {
    std::string error;
    auto local = MyIPAddr::Resolve("localhost", error);
    ASSERT_TRUE(local) << error;
    EXPECT_EQ("127.0.0.1", local->Get_Addr_Str());
    EXPECT_EQ("10.1.2.3", MyIPAddr::Resolve("10.1.2.3", error)->Get_Addr_Str());
    EXPECT_FALSE(MyIPAddr::Resolve("no-such-host.invalid", error));
    EXPECT_EQ(0u, error.find("cannot find the IPv4 address of \"no-such-host.invalid\": "));
}
