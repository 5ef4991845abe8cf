#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <future>
#include <termios.h>
#include <thread>

#include "base/SettingsStore.h"
#include "comm/CommLink.h"
#include "support/PtyPeer.h"
#include "support/ScriptedDialogs.h"
#include "support/TcpPeer.h"
#include "support/TempDir.h"
#include "support/TestUi.h"

using namespace std::chrono_literals;

namespace {

const std::vector<std::string> LinkErrorBox{"Communication Error"};

class LinkOnLan : public ::testing::Test {
protected:
    void SetUp() override {
        link_.UseLanAddress(*MyIPAddr::Parse("127.0.0.1"), peer_.Port());
        ASSERT_EQ(1, link_.ConnectLAN());
        ASSERT_TRUE(peer_.Accept());
    }

    TcpPeer peer_;
    CSettingsStore settings_{""};
    TestUi ui_;
    CCommLink link_{settings_, ui_, ui_, ui_};
};

} // namespace

TEST_F(LinkOnLan, AQueryIsSentWithoutTerminatorByTheLinkAndItsReplyJoined) {
    std::thread instrument([this] {
        EXPECT_EQ("*IDN?\n", peer_.Read());
        peer_.Write(std::string(150, 'i') + "\r\n");
    });
    std::string reply;
    EXPECT_EQ(Link::Success, link_.Transact("*IDN?", &reply));
    instrument.join();
    EXPECT_EQ(std::string(150, 'i') + "\r\n", reply);
    EXPECT_EQ(Link::Success, link_.Transact("INP A:NAME Cold", &reply));
    EXPECT_EQ("INP A:NAME Cold\n", peer_.Read());
    EXPECT_TRUE(ui_.Boxes().empty());
}

TEST_F(LinkOnLan, ASilentInstrumentIsACommunicationErrorQuietOnlyForTransactQuiet) {
    std::string reply;
    EXPECT_EQ(Link::LanFailure, link_.Transact("*IDN?", &reply));
    EXPECT_EQ(LinkErrorBox, ui_.BoxTexts());
    ui_.Clear();
    EXPECT_EQ(Link::LanFailure, link_.TransactQuiet("*IDN?", &reply));
    EXPECT_TRUE(ui_.Boxes().empty());
}

TEST_F(LinkOnLan, WithoutAConnectionTheSendIsRefusedSilently) {
    link_.DisconnectLAN();
    std::string reply;
    EXPECT_EQ(Link::LanRefused, link_.Transact("*IDN?", &reply));
    EXPECT_TRUE(ui_.Boxes().empty());
}

TEST_F(LinkOnLan, ReadTableWaitsForTheExpectedLinesWhileTheEventsAreProcessed) {
    struct Pump : IEventPump {
        std::atomic<int> calls{0};
        void ProcessEvents() override { ++calls; }
    } pump;
    link_.SetEventPump(&pump);
    std::thread instrument([this] {
        EXPECT_EQ("CRVPT? 21\n", peer_.Read());
        for (int i = 1; i <= 5; ++i) {
            peer_.Write(std::to_string(i) + " 0.5 " + std::to_string(300 - i) + "\r\n");
            std::this_thread::sleep_for(30ms);
        }
        peer_.Write(";\r\n");
    });
    std::string reply;
    std::string command = "CRVPT? 21";
    EXPECT_EQ(5, link_.ReadTable(5, "Reading curve", &command, &reply));
    instrument.join();
    EXPECT_EQ(0u, reply.find("1 0.5 299\r\n"));
    EXPECT_GT(pump.calls, 0);
    EXPECT_EQ(100, ui_.Progress().back());
    EXPECT_FALSE(ui_.ProgressOpen());
}

TEST_F(LinkOnLan, ATableThatEndsShortReturnsWhatCameAndABrokenOneFails) {
    std::thread instrument([this] {
        peer_.Read();
        peer_.Write("1 0.5 299\r\n;\r\n");
    });
    std::string reply;
    std::string command = "CRVPT? 21";
    EXPECT_EQ(1, link_.ReadTable(200, "Reading", &command, &reply));
    instrument.join();

    peer_.CloseClient();
    EXPECT_EQ(Link::LanFailure, link_.ReadTable(200, "Reading", &command, &reply));
    EXPECT_FALSE(ui_.ProgressOpen());
}

TEST_F(LinkOnLan, AnInstrumentThatClosedTheConnectionIsTheLanFailureWithItsBox) {
    peer_.CloseClient();
    const auto start = std::chrono::steady_clock::now();
    std::string reply;
    EXPECT_EQ(Link::LanFailure, link_.Transact("*IDN?", &reply));
    // Seen as closed, not waited out as a silence.
    EXPECT_LT(std::chrono::steady_clock::now() - start, CTethraLink::ReadTimeout);
    EXPECT_EQ(LinkErrorBox, ui_.BoxTexts());
}

TEST_F(LinkOnLan, ANulByteInsideAReplyDoesNotCutIt) {
    std::thread instrument([this] {
        peer_.Read();
        peer_.Write(std::string("AB\0CD\r\n", 7));
    });
    std::string reply;
    EXPECT_EQ(Link::Success, link_.Transact("INP A:NAME?", &reply));
    instrument.join();
    EXPECT_EQ(std::string("AB\0CD\r\n", 7), reply);
}

TEST_F(LinkOnLan, AReplyThatTricklesWithoutALineEndEndsAtItsDeadline) {
    std::atomic<bool> trickling{true};
    std::thread instrument([&] {
        peer_.Read();
        while (trickling) {
            peer_.Write("7");
            std::this_thread::sleep_for(100ms);
        }
    });
    auto start = std::chrono::steady_clock::now();
    std::string reply;
    auto transaction =
        std::async(std::launch::async, [&] { return link_.Transact("INP A:TEMP?", &reply); });
    // Bounded here too: without its deadline the reply would grow for a day.
    const bool ended =
        transaction.wait_for(3 * CTethraLink::ReadTimeout + 3s) == std::future_status::ready;
    auto took = std::chrono::steady_clock::now() - start;
    trickling = false; // then the read ends by silence, whatever the link does
    EXPECT_TRUE(ended) << "the trickling reply was not given up";
    EXPECT_EQ(Link::LanFailure, transaction.get());
    instrument.join();
    // Three times the time-out of one piece; each piece came well within its own.
    EXPECT_GE(took, 3 * CTethraLink::ReadTimeout - 200ms);
    EXPECT_EQ(LinkErrorBox, ui_.BoxTexts());
    EXPECT_EQ("the reply did not end with a line end within 9000 ms", link_.LastFailure());
}

TEST_F(LinkOnLan, ALateReplyIsDiscardedBeforeTheNextQueryAndSaidSo) {
    std::thread instrument([this] {
        peer_.Read(); // the first query
        std::this_thread::sleep_for(CTethraLink::ReadTimeout + 300ms);
        peer_.Write("first\r\n");
        EXPECT_EQ("INP B:NAME?\n", peer_.Read(50ms, 3000ms));
        peer_.Write("second\r\n");
    });
    std::string reply;
    EXPECT_EQ(Link::LanFailure, link_.TransactQuiet("INP A:NAME?", &reply));
    EXPECT_EQ(Link::Success, link_.TransactQuiet("INP B:NAME?", &reply));
    instrument.join();
    EXPECT_EQ("second\r\n", reply);
    EXPECT_EQ("Late reply discarded (it came after its query had timed out): first\n", ui_.Log());
}

TEST(LinkOnLanLateReply, TheLogShowsSixtyCharactersOfItAndMarksTheCut) {
    struct Case {
        std::string late;
        std::string shown;
    };
    const Case cases[] = {
        {std::string(60, 'a') + "\r\n", std::string(60, 'a')},
        {"\x07" + std::string(64, 'b') + "\r\n", "?" + std::string(59, 'b') + "..."},
    };
    for (const Case& c : cases) {
        TcpPeer peer;
        CSettingsStore settings("");
        TestUi ui;
        // A tenth of the waits: the read gives up after 300 ms.
        CCommLink link(settings, ui, ui, ui, LinkTimeouts::Divided(10));
        link.UseLanAddress(*MyIPAddr::Parse("127.0.0.1"), peer.Port());
        ASSERT_EQ(1, link.ConnectLAN());
        ASSERT_TRUE(peer.Accept());
        std::thread instrument([&] {
            peer.Read();
            std::this_thread::sleep_for(link.Timeouts().lanRead + 200ms);
            peer.Write(c.late);
            peer.Read(50ms, 3000ms);
            peer.Write("second\r\n");
        });
        std::string reply;
        EXPECT_EQ(Link::LanFailure, link.TransactQuiet("INP A:NAME?", &reply));
        EXPECT_EQ(Link::Success, link.TransactQuiet("INP B:NAME?", &reply));
        instrument.join();
        EXPECT_EQ("Late reply discarded (it came after its query had timed out): " + c.shown + "\n",
                  ui.Log());
    }
}

TEST_F(LinkOnLan, ADoubledReplyNeverAnswersTheQueryThatFollowsAtOnce) {
    std::thread instrument([this] {
        peer_.Read();
        peer_.Write("Name A\r\nName A\r\n");
        EXPECT_EQ("INP B:NAME?\n", peer_.Read());
        peer_.Write("Name B\r\n");
    });
    std::string first, second;
    EXPECT_EQ(Link::Success, link_.Transact("INP A:NAME?", &first));
    EXPECT_EQ(Link::Success, link_.Transact("INP B:NAME?", &second));
    instrument.join();
    EXPECT_EQ("Name A\r\n", first);
    EXPECT_EQ("Name B\r\n", second);
}

TEST_F(LinkOnLan, ATableThatNeverEndsIsBoundedLikeTheSerialOne) {
    link_.SetTableLimit(4096);
    std::atomic<bool> streaming{true};
    std::thread instrument([&] {
        peer_.Read();
        while (streaming) {
            peer_.Write(std::string(1000, 'x') + "\r\n");
            std::this_thread::sleep_for(10ms);
        }
    });
    auto start = std::chrono::steady_clock::now();
    std::string reply;
    std::string command = "CRVPT? 21";
    EXPECT_EQ(Link::LanFailure, link_.ReadTable(100000, "Reading", &command, &reply));
    streaming = false;
    instrument.join();
    // 4096 bytes at 1000 bytes every 10 ms: a few hundredths of a second, where
    // the 1 MiB bound of a transfer would take ten seconds.
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    EXPECT_FALSE(ui_.ProgressOpen());
}

TEST_F(LinkOnLan, ASecondProgramOnTheSameInstrumentIsRefusedWithTheReason) {
    TestUi otherUi;
    CCommLink other(settings_, otherUi, otherUi, otherUi);
    other.UseLanAddress(*MyIPAddr::Parse("127.0.0.1"), peer_.Port());
    EXPECT_EQ(0, other.ConnectLAN());
    EXPECT_EQ(std::vector<std::string>{"Failed to connect to server."}, otherUi.BoxTexts());
    EXPECT_NE(std::string::npos, otherUi.Log().find("127.0.0.1:" + std::to_string(peer_.Port()) +
                                                    ": another program is using this instrument"));
    link_.DisconnectLAN();
    EXPECT_EQ(1, other.ConnectLAN());
}

TEST(LinkGpib, WithoutTheGpibLibraryEveryTransactionFailsAndTheLogSaysWhy) {
    ::setenv("TUNDRIX_GPIB_LIBRARY", "/nonexistent/libgpib.so.0", 1);
    CSettingsStore settings("");
    settings.WriteInt("CommunicationSetup", "PortType", 2);
    TestUi ui;
    CCommLink link(settings, ui, ui, ui);
    link.LoadSettings();
    std::string reply;
    EXPECT_EQ(Link::GpibFailure, link.Transact("*IDN?", &reply));
    EXPECT_EQ(Link::GpibFailure, link.Transact("*IDN?", &reply));
    EXPECT_FALSE(link.HoldsGpibDevice());
    EXPECT_TRUE(ui.Boxes().empty());
    // Said once, not on every transaction.
    const std::string log = ui.Log();
    EXPECT_EQ(0u, log.find("GPIB library: /nonexistent/libgpib.so.0"));
    EXPECT_EQ(1, std::count(log.begin(), log.end(), '\n'));
    ::unsetenv("TUNDRIX_GPIB_LIBRARY");
}

namespace {

class PortChanges : public ::testing::Test {
protected:
    void SetUp() override {
        settings_.Load();
        settings_.WriteString("SerialDevices", "COM2", peer_.Device());
        settings_.WriteString("SerialDevices", "COM3", other_.Device());
        link_.SetDialogs(&dialogs_);
        link_.LoadSettings();
    }

    TempDir dir_;
    PtyPeer peer_;
    PtyPeer other_;
    CSettingsStore settings_{dir_.File("Tundrix.INI")};
    ScriptedDialogs dialogs_;
    TestUi ui_;
    CCommLink link_{settings_, ui_, ui_, ui_};
};

} // namespace

TEST_F(PortChanges, ChoosingLanClosesTheSerialPortAndStoresTheType) {
    dialogs_.portType = PortLAN;
    EXPECT_EQ(1, link_.SelectPort());
    EXPECT_EQ(PortRS232, dialogs_.presetPortType);
    EXPECT_EQ(PortLAN, link_.GetPortType());
    EXPECT_FALSE(link_.IsSerialOpen());
    EXPECT_EQ(3, settings_.GetInt("CommunicationSetup", "PortType", 0));
    // OK without a change keeps LAN and releases nothing.
    EXPECT_EQ(1, link_.SelectPort());
    EXPECT_EQ(PortLAN, dialogs_.presetPortType);
    EXPECT_EQ(PortLAN, link_.GetPortType());
}

TEST_F(PortChanges, ChoosingRS232RunsTheSerialSetupAndOpensTheChosenPort) {
    dialogs_.portType = PortGPIB;
    link_.SelectPort();
    EXPECT_FALSE(link_.IsSerialOpen());
    dialogs_.portType = PortRS232;
    dialogs_.portIndex = 2;
    dialogs_.baudIndex = 4;
    EXPECT_EQ(1, link_.SelectPort());
    EXPECT_EQ(1, dialogs_.presetPortIndex);
    EXPECT_EQ(0, dialogs_.presetBaudIndex);
    EXPECT_TRUE(link_.IsSerialOpen());
    EXPECT_EQ(2, settings_.GetInt("CommunicationSetup", "CommPort", 0));
    EXPECT_EQ(4, settings_.GetInt("CommunicationSetup", "BaudRate", 0));
    EXPECT_EQ(Link::Success, link_.Transact("*CLS", nullptr));
    EXPECT_EQ("*CLS\n", other_.Read());
    termios tio{};
    ::tcgetattr(other_.Master(), &tio);
    EXPECT_EQ(B9600, ::cfgetospeed(&tio));
}

TEST_F(PortChanges, CancelledOrMissingDialogsChangeNothing) {
    dialogs_.outcome = DialogOutcome::Cancelled;
    dialogs_.portType = PortLAN;
    EXPECT_EQ(0, link_.SelectPort());
    EXPECT_EQ(PortRS232, link_.GetPortType());
    EXPECT_TRUE(link_.IsSerialOpen());
    EXPECT_EQ(0, link_.EditIPAddress());
    EXPECT_TRUE(ui_.Boxes().empty());

    link_.SetDialogs(nullptr);
    EXPECT_EQ(0, link_.SelectPort());
    link_.SetupSerial();
    EXPECT_EQ(0, link_.EditIPAddress());
    EXPECT_EQ(std::vector<std::string>(3, "Could not create dialog box"), ui_.BoxTexts());
    EXPECT_TRUE(link_.IsSerialOpen());
}

TEST_F(PortChanges, TheIPAddressIsStoredOctetByOctet) {
    dialogs_.ipAddress = MyIPAddr::Parse("10.1.2.3");
    dialogs_.ipPort = 7777;
    EXPECT_EQ(1, link_.EditIPAddress());
    EXPECT_EQ("192.168.0.4", dialogs_.presetIpAddress.Get_Addr_Str());
    EXPECT_EQ(5000, dialogs_.presetIpPort);
    EXPECT_EQ(10, settings_.GetInt("CommunicationSetup", "IPAddr0", 0));
    EXPECT_EQ(3, settings_.GetInt("CommunicationSetup", "IPAddr3", 0));
    EXPECT_EQ(7777, settings_.GetInt("CommunicationSetup", "IPPort", 0));
    EXPECT_EQ("10.1.2.3", link_.GetIPAddress().Get_Addr_Str());
}
