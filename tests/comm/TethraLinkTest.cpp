#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "comm/MyIPAddr.h"
#include "comm/TethraLink.h"
#include "support/TcpPeer.h"

using namespace std::chrono_literals;

TEST(IPAddress, DottedTextAndOctetsMostSignificantFirst) {
    auto address = MyIPAddr::Parse("192.168.0.4");
    ASSERT_TRUE(address);
    EXPECT_EQ(0xC0A80004u, address->Value());
    EXPECT_EQ(192, address->Octet(0));
    EXPECT_EQ(4, address->Octet(3));
    EXPECT_EQ("192.168.0.4", address->Get_Addr_Str());
    EXPECT_FALSE(MyIPAddr().Get_Addr_Str());
    for (const char* bad : {"", "1.2.3", "1.2.3.4.5", "256.1.1.1", "1..2.3", "a.b.c.d", "1.2.3.4 "})
        EXPECT_FALSE(MyIPAddr::Parse(bad)) << bad;
}

class LanConnection : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(1, link_.Connect("127.0.0.1", peer_.Port()));
        ASSERT_TRUE(peer_.Accept());
    }

    std::string ReadReply() {
        std::string reply;
        for (int pieces = 0; pieces < 100; ++pieces) {
            char buffer[100];
            buffer[0] = '\0';
            EXPECT_NE(0, link_.Read(buffer, sizeof buffer));
            if (buffer[0] == '\0')
                return reply;
            EXPECT_LE(std::strlen(buffer), 99u);
            reply += buffer;
        }
        return reply;
    }

    TcpPeer peer_;
    CTethraLink link_;
};

TEST(LanConnect, RefusedAndRepeatedConnectionsAreReported) {
    CTethraLink link;
    TcpPeer peer;
    int port = peer.Port();
    {
        TcpPeer closed; // a port that nobody listens on once this peer goes
        port = closed.Port();
    }
    EXPECT_EQ(0, link.Connect("127.0.0.1", port));
    EXPECT_NE(std::string::npos, link.LastError().find("refused"));
    EXPECT_EQ(0, link.Connect("not an address", peer.Port()));
    EXPECT_EQ(1, link.Connect("127.0.0.1", peer.Port()));
    EXPECT_EQ(2, link.Connect("127.0.0.1", peer.Port()));
    link.Disconnect();
    EXPECT_FALSE(link.IsConnected());
    EXPECT_EQ(2, link.Send("*IDN?", 5, 1));
}

TEST_F(LanConnection, SendTerminatesTheLineWithALineFeed) {
    EXPECT_EQ(0, link_.Send("*IDN?", 5, 1));
    EXPECT_EQ("*IDN?\n", peer_.Read());
    EXPECT_EQ(0, link_.Send("RAW", 3, 0));
    EXPECT_EQ("RAW", peer_.Read());
}

TEST_F(LanConnection, RepliesComeInPiecesOf99ThenOneEmptyPiece) {
    std::string reply(250, 'r');
    reply += "\r\n";
    peer_.Write(reply);
    EXPECT_EQ(reply, ReadReply());
    // A reply split across several packets is joined all the same.
    std::thread talker([this] {
        peer_.Write("12.3");
        std::this_thread::sleep_for(30ms);
        peer_.Write("4;K\r\n");
    });
    EXPECT_EQ("12.34;K\r\n", ReadReply());
    talker.join();
}

TEST_F(LanConnection, SilenceAndAClosedPeerFailTheRead) {
    char buffer[100];
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(0, link_.Read(buffer, sizeof buffer));
    EXPECT_GE(std::chrono::steady_clock::now() - start, CTethraLink::ReadTimeout - 50ms);
    peer_.CloseClient();
    EXPECT_EQ(0, link_.Read(buffer, sizeof buffer));
    EXPECT_NE(std::string::npos, link_.LastError().find("closed"));
}

TEST_F(LanConnection, ALateReplyIsDroppedBeforeTheNextCommand) {
    peer_.Write("LATE\r\n");
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(0, link_.Send("INP A:NAME?", 11, 1));
    peer_.Write("Cold stage\r\n");
    EXPECT_EQ("Cold stage\r\n", ReadReply());
}

TEST_F(LanConnection, ATableIsReceivedInTheBackgroundUpToItsSemicolonLine) {
    ASSERT_EQ(1, link_.Get_Table("CRVPT? 21", 9));
    EXPECT_EQ("CRVPT? 21\n", peer_.Read());
    EXPECT_EQ(1, link_.Get_Table_In_Progress());
    int count = -1;
    ASSERT_EQ(1, link_.Get_Received_Counter(&count));
    EXPECT_EQ(0, count);
    // Commands wait while the table comes in.
    EXPECT_EQ(2, link_.Send("*IDN?", 5, 1));
    peer_.Write("1 0.1 300\r\n2 0.2 ");
    std::this_thread::sleep_for(100ms);
    ASSERT_EQ(1, link_.Get_Received_Counter(&count));
    EXPECT_EQ(1, count);
    EXPECT_EQ(0, link_.Table_Finished());
    peer_.Write("290\r\n;\r\n");
    EXPECT_EQ(1, link_.Table_Ready());
    ASSERT_EQ(1, link_.Get_Received_Counter(&count));
    EXPECT_EQ(2, count);
    std::string table;
    ASSERT_EQ(1, link_.Get_Received_Buffer(table));
    EXPECT_EQ("1 0.1 300\r\n2 0.2 290\r\n;\r\n", table);
    // The connection serves commands again.
    EXPECT_EQ(0, link_.Send("*IDN?", 5, 1));
}

TEST_F(LanConnection, WhatFollowsTheSemicolonLineIsNotPartOfTheTable) {
    ASSERT_EQ(1, link_.Get_Table("CRVPT? 21", 9));
    EXPECT_EQ("CRVPT? 21\n", peer_.Read());
    peer_.Write("1 0.1 300\r\n;\r\n1 0.1 300\r\n;\r\n");
    EXPECT_EQ(1, link_.Table_Ready());
    int count = -1;
    ASSERT_EQ(1, link_.Get_Received_Counter(&count));
    EXPECT_EQ(1, count);
    std::string table;
    ASSERT_EQ(1, link_.Get_Received_Buffer(table));
    EXPECT_EQ("1 0.1 300\r\n;\r\n", table);
}

TEST_F(LanConnection, ATableThatStopsComingFails) {
    ASSERT_EQ(1, link_.Get_Table("CRVPT? 21", 9));
    peer_.Write("1 0.1 300\r\n");
    auto start = std::chrono::steady_clock::now();
    while (!link_.Table_Finished() && std::chrono::steady_clock::now() - start < 10s)
        std::this_thread::sleep_for(20ms);
    EXPECT_EQ(1, link_.Table_Finished());
    EXPECT_EQ(0, link_.Table_Ready());
    int count = 0;
    EXPECT_EQ(0, link_.Get_Received_Counter(&count));
    std::string table;
    EXPECT_EQ(0, link_.Get_Received_Buffer(table));
}

TEST(LanConnect, AConnectionThatIsNeverAcceptedDoesNotCountAsConnected) {
    // A listener that accepts nothing and whose queue is full: the handshake
    // of one more connection never completes.
    int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(0, ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address));
    ASSERT_EQ(0, ::listen(listener, 0));
    socklen_t length = sizeof address;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    const int port = ntohs(address.sin_port);
    std::vector<int> fillers;
    for (int i = 0; i < 8; ++i) {
        int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        fillers.push_back(fd);
        pollfd p{fd, POLLOUT, 0};
        if (::poll(&p, 1, 200) == 0)
            break; // this one is already left waiting: the queue is full
    }

    CTethraLink link;
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(0, link.Connect("127.0.0.1", port));
    auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, CTethraLink::ConnectTimeout - 100ms);
    EXPECT_LT(took, CTethraLink::ConnectTimeout + 2s);
    EXPECT_FALSE(link.IsConnected());
    EXPECT_NE(std::string::npos, link.LastError().find("timed out")) << link.LastError();
    EXPECT_EQ(2, link.Send("*IDN?", 5, 1));
    for (int fd : fillers)
        ::close(fd);
    ::close(listener);
}

TEST_F(LanConnection, AnInstrumentThatClosesIsDroppedAndTheNextConnectConnectsAgain) {
    peer_.CloseClient();
    char buffer[100];
    EXPECT_EQ(0, link_.Read(buffer, sizeof buffer));
    EXPECT_FALSE(link_.IsConnected());
    EXPECT_EQ(1, link_.Connect("127.0.0.1", peer_.Port()));
    ASSERT_TRUE(peer_.Accept());
    EXPECT_EQ(0, link_.Send("*IDN?", 5, 1));
    EXPECT_EQ("*IDN?\n", peer_.Read());
}

TEST_F(LanConnection, ConnectSeesThatTheInstrumentWentAwayWithoutARead) {
    peer_.CloseClient();
    std::this_thread::sleep_for(50ms);
    // Not "already connected" to an instrument that is gone.
    EXPECT_EQ(1, link_.Connect("127.0.0.1", peer_.Port()));
    EXPECT_TRUE(peer_.Accept());
    // A live connection is kept.
    EXPECT_EQ(2, link_.Connect("127.0.0.1", peer_.Port()));
}

TEST_F(LanConnection, ASendToAnInstrumentThatClosedFailsAndDrops) {
    peer_.CloseClient();
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(1, link_.Send("*IDN?", 5, 1));
    EXPECT_FALSE(link_.IsConnected());
    EXPECT_EQ(2, link_.Send("*IDN?", 5, 1));
}

TEST_F(LanConnection, ConnectingToAnotherAddressClosesTheOldConnection) {
    TcpPeer other;
    EXPECT_EQ(1, link_.Connect("127.0.0.1", other.Port()));
    ASSERT_TRUE(other.Accept());
    EXPECT_TRUE(peer_.ClientClosed());
    EXPECT_EQ(0, link_.Send("*CLS", 4, 1));
    EXPECT_EQ("*CLS\n", other.Read());
}

TEST_F(LanConnection, ANulByteInAPieceIsCountedInItsLength) {
    peer_.Write(std::string("AB\0CD\r\n", 7));
    char buffer[100];
    std::size_t length = 0;
    ASSERT_NE(0, link_.Read(buffer, sizeof buffer, &length));
    EXPECT_EQ(std::string("AB\0CD\r\n", 7), std::string(buffer, length));
    ASSERT_NE(0, link_.Read(buffer, sizeof buffer, &length));
    EXPECT_EQ(0u, length);
}
