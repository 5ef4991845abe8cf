#include <gtest/gtest.h>

#include <atomic>
#include <poll.h>
#include <termios.h>
#include <thread>

#include "base/SettingsStore.h"
#include "comm/CommLink.h"
#include "comm/SerialPort.h"
#include "support/PtyPeer.h"
#include "support/TempDir.h"
#include "support/TestUi.h"

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

const std::vector<std::string> CommunicationErrorBox{"Communication Error"};

// A link on RS232 whose COM2 is the test's own pseudo-terminal.
class LinkOnPty : public ::testing::Test {
protected:
    void SetUp() override {
        settings_.WriteString("SerialDevices", "COM2", peer_.Device());
        link_.LoadSettings();
        ASSERT_TRUE(link_.IsSerialOpen());
    }
    // Responders may use the test's locals: stop them before those go.
    void TearDown() override { peer_.StopResponder(); }

    std::string Query(const std::string& command, LinkResult expected = Link::Success) {
        std::string reply;
        EXPECT_EQ(expected, link_.Transact(command, &reply));
        return reply;
    }

    PtyPeer peer_;
    CSettingsStore settings_{""};
    TestUi ui_;
    CCommLink link_{settings_, ui_, ui_, ui_};
};

std::string CurveTable(int entries, const std::string& tail = ";\r\n") {
    std::string table = "Sensor Model:   DT-670\r\nSerial Number:  Standard\r\n"
                        "Data Format:    2\r\nNo.   Units      Temperature (K)\r\n";
    for (int i = 0; i < entries; ++i)
        table += std::to_string(i + 1) + "  0." + std::to_string(10000 + i) + "  " +
                 std::to_string(300 - i) + ".000\r\n";
    return table + tail;
}

} // namespace

TEST(CommLinkSettings, AFreshSettingsFileTalksRS232OnCom2At115200) {
    TempDir dir;
    CSettingsStore settings(dir.File("Tundrix.INI"));
    settings.Load();
    TestUi ui;
    CCommLink link(settings, ui, ui, ui);
    link.LoadSettings();
    EXPECT_EQ(PortRS232, link.GetPortType());
    EXPECT_EQ(1, link.GetCommPort());
    EXPECT_EQ(0, link.GetBaudRate());
    EXPECT_EQ(12, link.GetGPIBAddress());
    EXPECT_EQ("192.168.0.4", link.GetIPAddress().Get_Addr_Str());
    EXPECT_EQ(5000, link.GetIPPort());
}

TEST(CommLinkSettings, StoredPortType1RunsAsLanAndUnknownTypesHaveNoTransport) {
    CSettingsStore settings("");
    settings.WriteInt("CommunicationSetup", "PortType", 1);
    TestUi ui;
    CCommLink link(settings, ui, ui, ui);
    link.LoadSettings();
    EXPECT_EQ(PortLAN, link.GetPortType());
    EXPECT_FALSE(link.IsSerialOpen());

    settings.WriteInt("CommunicationSetup", "PortType", 7);
    link.LoadSettings();
    std::string reply;
    EXPECT_EQ(Link::NoTransport, link.Transact("*IDN?", &reply));
    EXPECT_EQ(Link::CommandTooLong, link.Transact(std::string(101, 'A'), &reply));
}

TEST(CommLinkSettings, KeysAreReadWithoutRegardToCase) {
    PtyPeer peer;
    CSettingsStore settings("");
    settings.WriteInt("communicationsetup", "BAUDRATE", 7);
    settings.WriteString("SerialDevices", "COM4", peer.Device());
    settings.WriteInt("CommunicationSetup", "commport", 3);
    TestUi ui;
    CCommLink link(settings, ui, ui, ui);
    link.LoadSettings();
    ASSERT_TRUE(link.IsSerialOpen());
    termios tio{};
    ASSERT_EQ(0, ::tcgetattr(peer.Master(), &tio));
    // Baud index 7 opens rate code 1: 1200 baud.
    EXPECT_EQ(B1200, ::cfgetospeed(&tio));
}

TEST(CommLinkSettings, APortThatCannotOpenIsReportedOnceWithItsReason) {
    CSettingsStore settings("");
    settings.WriteString("SerialDevices", "COM2", "/dev/tundrix-missing");
    TestUi ui;
    CCommLink link(settings, ui, ui, ui);
    link.LoadSettings();
    EXPECT_FALSE(link.IsSerialOpen());
    EXPECT_EQ(std::vector<std::string>{"Failed to create RS232 serial port"}, ui.BoxTexts());
    EXPECT_NE(std::string::npos, ui.Log().find("/dev/tundrix-missing"));
    std::string reply;
    EXPECT_EQ(Link::SerialFailure, link.Transact("*IDN?", &reply));
    EXPECT_EQ(1u, ui.Boxes().size());
}

TEST(CommLinkSettings, GpibAddressIsStoredOrTheFailureShown) {
    TempDir dir;
    CSettingsStore settings(dir.File("Tundrix.INI"));
    TestUi ui;
    CCommLink link(settings, ui, ui, ui);
    link.SetGPIBAddress(21);
    EXPECT_EQ(21, link.GetGPIBAddress());
    EXPECT_TRUE(ui.Boxes().empty());
    CSettingsStore reread(dir.File("Tundrix.INI"));
    reread.Load();
    EXPECT_EQ(21, reread.GetInt("CommunicationSetup", "GPIBAddr", 0));

    CSettingsStore unwritable("/dev/null/Tundrix.INI");
    CCommLink other(unwritable, ui, ui, ui);
    other.SetGPIBAddress(5);
    EXPECT_EQ(5, other.GetGPIBAddress());
    EXPECT_EQ(std::vector<std::string>{"Unable to Write to Initialization File"}, ui.BoxTexts());
}

TEST_F(LinkOnPty, AQueryPutsExactlyTheLineAndOneLineFeed) {
    peer_.StartResponder([](const std::string& line) {
        return line == "*IDN?" ? std::string("ARKTRONIC,TX-28,1,1.0\r\n") : std::string();
    });
    auto start = Clock::now();
    EXPECT_EQ("ARKTRONIC,TX-28,1,1.0\r\n", Query("*IDN?"));
    EXPECT_GE(Clock::now() - start, 200ms);
}

TEST_F(LinkOnPty, OnlyLinesWhoseFirstQuestionMarkFollowsTheirStartAreRead) {
    std::string reply = "untouched";
    EXPECT_EQ(Link::Success, link_.Transact("INTYPE A,1", &reply));
    EXPECT_EQ("untouched", reply);
    EXPECT_EQ("INTYPE A,1\n", peer_.Read());

    peer_.Write("NOISE\r\n");
    EXPECT_EQ(Link::Success, link_.Transact("?A:TEMP?", &reply));
    EXPECT_EQ("untouched", reply);
    EXPECT_EQ("?A:TEMP?\n", peer_.Read());

    // Without a reply buffer nothing is read, and nothing is waited for.
    auto start = Clock::now();
    EXPECT_EQ(Link::Success, link_.Transact("*IDN?", nullptr));
    EXPECT_LT(Clock::now() - start, 100ms);
    EXPECT_EQ("*IDN?\n", peer_.Read());
    EXPECT_TRUE(ui_.Boxes().empty());
}

TEST_F(LinkOnPty, ACommandOver100CharactersIsNotSent) {
    std::string reply;
    EXPECT_EQ(Link::CommandTooLong, link_.Transact(std::string(101, 'A'), &reply));
    EXPECT_EQ(Link::CommandTooLong, link_.TransactQuiet(std::string(101, 'A'), nullptr));
    EXPECT_EQ("", peer_.Read(100ms, 300ms));
    EXPECT_EQ(Link::Success, link_.Transact(std::string(100, 'A'), nullptr));
    EXPECT_EQ(std::string(100, 'A') + "\n", peer_.Read());
    EXPECT_TRUE(ui_.Boxes().empty());
}

TEST_F(LinkOnPty, AMissingReplyIsACommunicationErrorQuietOnlyForTransactQuiet) {
    std::string reply;
    EXPECT_EQ(Link::SerialFailure, link_.Transact("*IDN?", &reply));
    EXPECT_EQ(CommunicationErrorBox, ui_.BoxTexts());
    ui_.Clear();
    EXPECT_EQ(Link::SerialFailure, link_.TransactQuiet("*IDN?", &reply));
    EXPECT_TRUE(ui_.Boxes().empty());
}

TEST_F(LinkOnPty, ALateReplyNeverAnswersTheNextQuery) {
    std::atomic<int> queries{0};
    peer_.StartResponder([&](const std::string& line) {
        if (++queries == 1)
            return std::string(); // the first answer comes too late, below
        return line == "INP A:NAME?" ? std::string("Cold stage\r\n") : std::string("?\r\n");
    });
    EXPECT_EQ("", Query("*IDN?", Link::SerialFailure));
    peer_.Write("ARKTRONIC,TX-28,1,1.0\r\n");
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ("Cold stage\r\n", Query("INP A:NAME?"));
    peer_.StopResponder();
}

TEST_F(LinkOnPty, ReadTableCountsLineEndsLessFourAndStopsAtTheFirstSemicolon) {
    std::string table = CurveTable(10);
    peer_.StartResponder(
        [&](const std::string& line) { return line == "CRVPT? 21" ? table : std::string(); });
    // Lines after the ";" are not waited for.
    std::thread late([&] {
        std::this_thread::sleep_for(1500ms);
        peer_.Write("EXTRA 1\r\nEXTRA 2\r\n");
    });
    std::string reply;
    std::string command = "CRVPT? 21";
    auto start = Clock::now();
    EXPECT_EQ(11, link_.ReadTable(10, "Reading curve 21", &command, &reply));
    EXPECT_LT(Clock::now() - start, 1500ms);
    late.join();
    peer_.StopResponder();
    EXPECT_EQ(table, reply);
    EXPECT_EQ(0u, reply.rfind("Sensor Model:", 0));
    EXPECT_EQ(std::vector<std::string>{"Reading curve 21"}, ui_.Captions());
    EXPECT_FALSE(ui_.ProgressOpen());
    for (int percent : ui_.Progress()) {
        EXPECT_GE(percent, 0);
        EXPECT_LE(percent, 100);
    }
    EXPECT_EQ(100, ui_.Progress().back());
    EXPECT_TRUE(ui_.Boxes().empty());
}

TEST_F(LinkOnPty, ATableSentTwiceInOneWriteIsReadOnce) {
    const std::string table = CurveTable(3);
    peer_.StartResponder([table](const std::string&) { return table + table; });
    std::string reply;
    std::string command = "CRVPT? 21";
    EXPECT_EQ(4, link_.ReadTable(3, "Reading curve 21", &command, &reply));
    EXPECT_EQ(table, reply);
}

TEST_F(LinkOnPty, ReadTableGathersATableLongerThanOneRead) {
    std::string table = CurveTable(60);
    ASSERT_GT(table.size(), 3 * CSerialPort::ReadSize);
    peer_.StartResponder([&](const std::string&) { return table; });
    std::string reply;
    std::string command = "CRVPT? 22";
    EXPECT_EQ(61, link_.ReadTable(60, "Reading", &command, &reply));
    peer_.StopResponder();
    EXPECT_EQ(table, reply);
    auto progress = ui_.Progress();
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
}

TEST_F(LinkOnPty, ReadTableArgumentsAreCheckedBeforeAnythingIsSent) {
    std::string reply;
    std::string tooLong(101, 'C');
    std::string command = "CRVPT? 21";
    EXPECT_EQ(Link::NoCommand, link_.ReadTable(10, "x", nullptr, &reply));
    EXPECT_EQ(Link::CommandTooLong, link_.ReadTable(10, "x", &tooLong, &reply));
    EXPECT_EQ(Link::NoReplyBuffer, link_.ReadTable(10, "x", &command, nullptr));
    EXPECT_EQ("", peer_.Read(50ms, 200ms));
    EXPECT_TRUE(ui_.Captions().empty());
}

TEST_F(LinkOnPty, ReadTableWithoutAnswerFailsAndClosesItsProgressBox) {
    std::string reply;
    std::string command = "CRVPT? 21";
    EXPECT_EQ(Link::SerialFailure, link_.ReadTable(0, "Reading", &command, &reply));
    EXPECT_EQ(CommunicationErrorBox, ui_.BoxTexts());
    EXPECT_FALSE(ui_.ProgressOpen());
}

TEST_F(LinkOnPty, ReadTableFromADeviceThatNeverEndsIsBounded) {
    link_.SetTableLimit(4096);
    std::atomic<bool> streaming{true};
    std::thread streamer([&] {
        peer_.Read(5ms, 1000ms);
        while (streaming) {
            peer_.Write(std::string(200, 'x') + "\r\n");
            std::this_thread::sleep_for(10ms);
        }
    });
    std::string reply;
    std::string command = "CRVPT? 21";
    EXPECT_EQ(Link::SerialFailure, link_.ReadTable(200, "Reading", &command, &reply));
    streaming = false;
    streamer.join();
    EXPECT_EQ(CommunicationErrorBox, ui_.BoxTexts());
    EXPECT_FALSE(ui_.ProgressOpen());
    EXPECT_LE(reply.size(), 4096u + CSerialPort::ReadSize);
}

namespace {

// An instrument slower than the read time-out: each query is answered with
// its own reply, `delay` after it came.
class SlowInstrument {
public:
    SlowInstrument(PtyPeer& peer, std::chrono::milliseconds delay) : peer_(peer) {
        thread_ = std::thread([this, delay] {
            std::string line;
            while (!stop_) {
                pollfd p{peer_.Master(), POLLIN, 0};
                if (::poll(&p, 1, 10) <= 0)
                    continue;
                char c;
                if (::read(peer_.Master(), &c, 1) != 1)
                    continue;
                if (c != '\n') {
                    line += c;
                    continue;
                }
                // "INP B:NAME?" is answered "Name B": each reply tells its query.
                std::string reply = "Name " + line.substr(4, 1) + "\r\n";
                line.clear();
                for (auto until = Clock::now() + delay; Clock::now() < until && !stop_;)
                    std::this_thread::sleep_for(5ms);
                peer_.Write(reply);
            }
        });
    }
    ~SlowInstrument() {
        stop_ = true;
        thread_.join();
    }

private:
    PtyPeer& peer_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace

TEST_F(LinkOnPty, ALateReplyIsDiscardedAndSaidSoNeverTakenForTheNextReply) {
    // Each reply comes 600 ms after its query: later than the read gives up.
    SlowInstrument instrument(peer_, 600ms);
    std::string reply;
    for (const char* input : {"A", "B", "C"}) {
        reply.clear();
        LinkResult result = link_.TransactQuiet(std::string("INP ") + input + ":NAME?", &reply);
        // Either its own reply or a failure: never the one before.
        if (result == Link::Success)
            EXPECT_EQ(std::string("Name ") + input + "\r\n", reply);
        else
            EXPECT_EQ(Link::SerialFailure, result);
    }
    EXPECT_NE(std::string::npos,
              ui_.Log().find("Late reply discarded (it came after its query had timed out): "
                             "Name A\n"));
}

TEST_F(LinkOnPty, AReplyIsOneLineHoweverItArrives) {
    std::atomic<int> round{0};
    peer_.StartResponder([&](const std::string&) {
        switch (++round) {
        case 1: // twice
            return std::string("77.5\r\n77.5\r\n");
        case 2: { // in two pieces, the second after the first read has ended
            peer_.Write("12.");
            std::this_thread::sleep_for(250ms);
            return std::string("5;K\r\n");
        }
        default: // with a NUL in it
            return std::string("A\0B\r\n", 5);
        }
    });
    EXPECT_EQ("77.5\r\n", Query("INP A:TEMP?"));
    EXPECT_EQ("12.5;K\r\n", Query("INP A:TEMP?;UNIT?"));
    EXPECT_EQ(std::string("A\0B\r\n", 5), Query("INP A:NAME?"));
    peer_.StopResponder();
    EXPECT_TRUE(ui_.Boxes().empty());
}

TEST_F(LinkOnPty, AReplyThatNeverEndsFailsWithinItsDeadline) {
    peer_.StartResponder([](const std::string&) { return std::string("77.5"); });
    auto start = Clock::now();
    std::string reply;
    EXPECT_EQ(Link::SerialFailure, link_.Transact("INP A:TEMP?", &reply));
    // Three times the 200 ms wait and the read's 270 ms total time-out at 115200 baud.
    EXPECT_LT(Clock::now() - start, 2000ms);
    EXPECT_EQ(CommunicationErrorBox, ui_.BoxTexts());
    EXPECT_EQ(0u, link_.LastFailure().find("the reply did not end with a line end within 1410 ms"));
}

TEST(CommLinkHangUp, AHungUpLineEndsTheReadAtOnce) {
    PtyPeer peer;
    CSettingsStore settings("");
    settings.WriteString("SerialDevices", "COM2", peer.Device());
    settings.WriteInt("CommunicationSetup", "BaudRate", 7); // 1200 baud: a read waits 2160 ms
    TestUi ui;
    CCommLink link(settings, ui, ui, ui);
    link.LoadSettings();
    ASSERT_TRUE(link.IsSerialOpen());
    std::thread cable([&peer] {
        peer.Read(20ms, 1000ms); // the query went out
        peer.HangUp();
    });
    auto start = Clock::now();
    std::string reply;
    EXPECT_EQ(Link::SerialFailure, link.TransactQuiet("*IDN?", &reply));
    cable.join();
    EXPECT_LT(Clock::now() - start, 1000ms);
    EXPECT_TRUE(link.ConnectionLost());
    EXPECT_EQ("the line was hung up", link.LastFailure());
}

TEST_F(LinkOnPty, ReadTableCountsALineEndSplitAcrossTwoReads) {
    const std::string table = CurveTable(3);
    // Cut between the CR and the LF of the second entry.
    const std::size_t cut = table.find("\r\n", table.find("2  0.")) + 1;
    std::thread instrument([&] {
        peer_.Read(5ms, 1000ms);
        peer_.Write(table.substr(0, cut));
        // The first read has long ended when the rest comes.
        std::this_thread::sleep_for(300ms);
        peer_.Write(table.substr(cut));
    });
    std::string reply;
    std::string command = "CRVPT? 21";
    EXPECT_EQ(4, link_.ReadTable(3, "Reading", &command, &reply));
    instrument.join();
    EXPECT_EQ(table, reply);
}

TEST_F(LinkOnPty, ReadTableTakesACommandOfExactly100Characters) {
    const std::string command = "CRVPT? 21" + std::string(91, ' ');
    ASSERT_EQ(100u, command.size());
    const std::string table = CurveTable(2);
    peer_.StartResponder([&](const std::string& line) { return line == command ? table : ""; });
    std::string reply;
    EXPECT_EQ(3, link_.ReadTable(2, "Reading", &command, &reply));
    peer_.StopResponder();
    EXPECT_EQ(table, reply);
    const std::string tooLong = command + "x";
    EXPECT_EQ(Link::CommandTooLong, link_.ReadTable(2, "Reading", &tooLong, &reply));
}
