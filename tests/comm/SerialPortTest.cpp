#include <gtest/gtest.h>

#include <termios.h>

#include "base/SettingsStore.h"
#include "comm/SerialDevices.h"
#include "comm/SerialPort.h"
#include "support/PtyPeer.h"

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TEST(SerialTimeouts, ScaleWithTheLineSpeed) {
    EXPECT_EQ((SerialTimeouts{4, 1, 10}), SerialTimeouts::ForBaud(115200));
    EXPECT_EQ((SerialTimeouts{4, 1, 10}), SerialTimeouts::ForBaud(9600));
    EXPECT_EQ((SerialTimeouts{8, 2, 20}), SerialTimeouts::ForBaud(4800));
    EXPECT_EQ((SerialTimeouts{16, 4, 40}), SerialTimeouts::ForBaud(2400));
    EXPECT_EQ((SerialTimeouts{32, 8, 80}), SerialTimeouts::ForBaud(1200));
}

TEST(SerialTimeouts, RateCodesNameTheEightSpeeds) {
    EXPECT_EQ(1200, BaudForRateCode(1));
    EXPECT_EQ(9600, BaudForRateCode(4));
    EXPECT_EQ(115200, BaudForRateCode(8));
    EXPECT_EQ(0, BaudForRateCode(0));
    EXPECT_EQ(0, BaudForRateCode(9));
}

TEST(SerialDevices, TenPortsMapToLinuxDevicesAndCanBeOverridden) {
    CSettingsStore settings("");
    EXPECT_EQ("/dev/ttyS0", SerialDevicePath(settings, 1));
    EXPECT_EQ("/dev/ttyS3", SerialDevicePath(settings, 4));
    EXPECT_EQ("/dev/ttyUSB0", SerialDevicePath(settings, 5));
    EXPECT_EQ("/dev/ttyUSB3", SerialDevicePath(settings, 8));
    EXPECT_EQ("/dev/ttyACM1", SerialDevicePath(settings, 10));
    EXPECT_EQ("", SerialDevicePath(settings, 11));
    settings.WriteString("SerialDevices", "COM2", "/dev/ttyUSB7");
    EXPECT_EQ("/dev/ttyUSB7", SerialDevicePath(settings, 2));
}

TEST(SerialPortOpen, SetsRawEightBitLineAtTheChosenSpeed) {
    PtyPeer peer;
    CSerialPort port(peer.Device(), 1);
    ASSERT_TRUE(port.IsOpen()) << port.ErrorText();
    termios tio{};
    ASSERT_EQ(0, ::tcgetattr(peer.Master(), &tio));
    EXPECT_EQ(B1200, ::cfgetospeed(&tio));
    EXPECT_EQ(CS8, tio.c_cflag & CSIZE);
    EXPECT_FALSE(tio.c_cflag & PARENB);
    EXPECT_FALSE(tio.c_cflag & CSTOPB);
    EXPECT_FALSE(tio.c_cflag & CRTSCTS);
    EXPECT_FALSE(tio.c_iflag & (IXON | IXOFF));
    EXPECT_FALSE(tio.c_lflag & (ICANON | ECHO));
    EXPECT_EQ((SerialTimeouts{32, 8, 80}), port.Timeouts());
}

TEST(SerialPortOpen, SaysWhyADeviceCannotBeOpened) {
    CSerialPort missing("/dev/tundrix-no-such-port", 8);
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_NE(std::string::npos, missing.ErrorText().find("/dev/tundrix-no-such-port"));
    EXPECT_NE(std::string::npos, missing.ErrorText().find("No such file"));

    CSerialPort notATty("/dev/null", 8);
    EXPECT_FALSE(notATty.IsOpen());
    EXPECT_NE(std::string::npos, notATty.ErrorText().find("not a serial device"));

    CSerialPort badRate("/dev/null", 0);
    EXPECT_FALSE(badRate.IsOpen());
    EXPECT_EQ(0, badRate.WriteLine("*IDN?"));
}

TEST(SerialPortOpen, TheSameDeviceIsNotOpenedTwice) {
    PtyPeer peer;
    CSerialPort first(peer.Device(), 8);
    ASSERT_TRUE(first.IsOpen());
    CSerialPort second(peer.Device(), 8);
    EXPECT_FALSE(second.IsOpen());
    EXPECT_NE(std::string::npos, second.ErrorText().find("Another program"));
    first.Close();
    CSerialPort third(peer.Device(), 8);
    EXPECT_TRUE(third.IsOpen()) << third.ErrorText();
}

class SerialPortLine : public ::testing::Test {
protected:
    PtyPeer peer_;
    CSerialPort port_{peer_.Device(), 8};
};

TEST_F(SerialPortLine, WriteLineAppendsOneLineFeed) {
    ASSERT_TRUE(port_.IsOpen());
    EXPECT_NE(0, port_.WriteLine("*IDN?"));
    EXPECT_EQ(std::string("*IDN?\n"), peer_.Read());
    EXPECT_EQ(0, port_.WriteLine(""));
    EXPECT_EQ(0, port_.WriteLine(std::string(CSerialPort::WriteSize, 'X')));
    EXPECT_EQ("", peer_.Read(30ms, 100ms));
}

TEST_F(SerialPortLine, ReadWithNothingOnTheLineFailsAtTheTotalTimeout) {
    std::string text = "old";
    auto start = Clock::now();
    EXPECT_EQ(0, port_.ReadChunk(text));
    auto took = Clock::now() - start;
    // 260 bytes x 1 ms + 10 ms at 115200 baud.
    EXPECT_GE(took, 265ms);
    EXPECT_LT(took, 600ms);
}

TEST_F(SerialPortLine, ReadDeliversWhatArrivedWithItsLineEnd) {
    peer_.Write("12");
    std::string text;
    EXPECT_EQ(1, port_.ReadChunk(text));
    EXPECT_EQ("12", text);

    peer_.Write("+77.350\r\n");
    port_.Idle(50ms);
    auto start = Clock::now();
    EXPECT_EQ(1, port_.ReadChunk(text));
    EXPECT_EQ("+77.350\r\n", text);
    // Received during the wait: handed over without waiting for the interval again.
    EXPECT_LT(Clock::now() - start, 3ms);
}

TEST_F(SerialPortLine, OneReadTakesAtMost260BytesTheRestStaysForTheNext) {
    std::string block(300, 'a');
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<char>('a' + i % 26);
    peer_.Write(block);
    port_.Idle(50ms);
    std::string first, second;
    ASSERT_EQ(1, port_.ReadChunk(first));
    ASSERT_EQ(1, port_.ReadChunk(second));
    EXPECT_EQ(260u, first.size());
    EXPECT_EQ(block, first + second);
}

TEST_F(SerialPortLine, ReadEndsFourMillisecondsAfterTheLastByte) {
    // On a loaded machine the talker may be held up between "A" and "B" for
    // longer than the interval; the gap it really left decides what to expect.
    Clock::duration gap{};
    std::thread talker([this, &gap] {
        std::this_thread::sleep_for(20ms);
        peer_.Write("A");
        const auto after_a = Clock::now();
        peer_.Write("B");
        gap = Clock::now() - after_a;
        std::this_thread::sleep_for(60ms);
        peer_.Write("C");
    });
    std::string text;
    EXPECT_EQ(1, port_.ReadChunk(text));
    talker.join();
    if (gap >= 2ms)
        GTEST_SKIP() << "the talker was held up between two bytes";
    EXPECT_EQ("AB", text);
    EXPECT_EQ(1, port_.ReadChunk(text));
    EXPECT_EQ("C", text);
}

TEST_F(SerialPortLine, DiscardInputDropsEverythingReceived) {
    peer_.Write("STALE\r\n");
    port_.Idle(30ms);
    peer_.Write("MORE\r\n");
    std::this_thread::sleep_for(30ms);
    port_.DiscardInput();
    std::string text;
    EXPECT_EQ(0, port_.ReadChunk(text));
}
