// The server against the simulator: real sockets, the real link, every wait bounded.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "base/SettingsStore.h"
#include "base/SimulatorProcess.h"
#include "base/TransactionMutex.h"
#include "comm/CommLink.h"
#include "comm/MyIPAddr.h"
#include "comm/TethraLink.h"
#include "server/InstrumentServer.h"
#include "support/ClientSocket.h"
#include "support/TempDir.h"
#include "support/TestUi.h"

namespace {

using namespace std::chrono_literals;

const std::string Idn = "ARKTRONIC,TX-28,SN280417,1.4.2\r\n";

class RecordedEvents : public IServerEvents {
public:
    void ServerLog(std::string_view text) override {
        std::lock_guard lock(mutex_);
        log_ += text;
    }
    void ClientsChanged(int connected) override { connected_ = connected; }
    // Whether the log says `text` within `limit`.
    bool Says(const std::string& text, std::chrono::milliseconds limit = 3s) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < deadline) {
            if (Log().find(text) != std::string::npos)
                return true;
            std::this_thread::sleep_for(10ms);
        }
        return false;
    }
    std::string Log() {
        std::lock_guard lock(mutex_);
        return log_;
    }
    std::atomic<int> connected_{0};

private:
    std::mutex mutex_;
    std::string log_;
};

// The simulator, the link to it (LAN unless RS232 is asked for), and a server on it.
class Served : public ::testing::Test {
protected:
    void Open(int portType, ServeOptions options = {}, const std::string& tcpPort = "0") {
        ASSERT_TRUE(sim_.Start(TUNDRIX_SIM_PROGRAM, {"--pty", "--tcp", tcpPort}, {"pty", "tcp"}))
            << sim_.Error();
        link_ = std::make_unique<CCommLink>(settings_, ui_, ui_, ui_, LinkTimeouts::Divided(4));
        if (portType == PortLAN) {
            const std::string tcp = sim_.Address("tcp");
            simPort_ = tcp.substr(tcp.rfind(':') + 1);
            link_->UseLanAddress(*MyIPAddr::Parse("127.0.0.1"), std::stoi(simPort_));
            ASSERT_EQ(1, link_->ConnectLAN());
        } else {
            ASSERT_TRUE(link_->UseSerialDevice(sim_.Address("pty"), 0));
        }
        options.port = 0;
        server_ = std::make_unique<CInstrumentServer>(
            SharedInstrument{*link_, mutex_, [this] { return link_->Reopen(); }}, options, events_);
        std::string why;
        ASSERT_TRUE(server_->Start(why)) << why;
    }
    // A transaction of the test's own, beside the server's clients.
    std::string Direct(const std::string& line) {
        std::lock_guard lock(mutex_);
        std::string reply;
        link_->Transact(line, IsQuery(line) ? &reply : nullptr);
        return reply;
    }
    static bool IsQuery(const std::string& line) { return line.find('?') != std::string::npos; }
    int Port() const { return server_->Port(); }

    TempDir dir_;
    CSettingsStore settings_{dir_.Path() + "/Tundrix.INI"};
    TestUi ui_;
    CSimulatorProcess sim_;
    std::string simPort_;
    std::unique_ptr<CCommLink> link_;
    CTransactionMutex mutex_;
    RecordedEvents events_;
    std::unique_ptr<CInstrumentServer> server_;
};

// Eight clients at once, each naming an input or a loop of its own, every
// reply checked against its own query, in order.
TEST_F(Served, EveryReplyGoesToItsOwnQueryAndClient) {
    Open(PortLAN);
    const std::string names[] = {"INP A",  "INP B",  "INP C",  "INP D",
                                 "LOOP 1", "LOOP 2", "LOOP 3", "LOOP 4"};
    for (int i = 0; i < 8; ++i)
        Direct(names[i] + ":NAME client" + std::to_string(i));
    constexpr int Queries = 300;
    std::vector<std::thread> clients;
    std::atomic<int> right{0};
    for (int i = 0; i < 8; ++i)
        clients.emplace_back([&, i] {
            ClientSocket client(Port());
            std::string all;
            for (int q = 0; q < Queries; ++q)
                all += q % 3 == 2 ? "*IDN?\n" : names[i] + ":NAME?\n";
            client.Send(all);
            for (int q = 0; q < Queries; ++q)
                if (client.Line() == (q % 3 == 2 ? Idn : "client" + std::to_string(i) + "\r\n"))
                    ++right;
        });
    for (auto& client : clients)
        client.join();
    EXPECT_EQ(8 * Queries, right.load());
    EXPECT_TRUE(events_.Says("(0 connected)"));
}

// Over RS232 each query takes the instrument's 50 ms (its 200 ms shortened):
// a client with eighty queued (4 s of them) does not hold back another's one.
TEST_F(Served, ClientsAreServedInTurn) {
    Open(PortRS232);
    ClientSocket greedy(Port());
    ClientSocket polite(Port());
    std::string many;
    for (int q = 0; q < 80; ++q)
        many += "*IDN?\n";
    greedy.Send(many);
    std::this_thread::sleep_for(100ms);
    const auto asked = std::chrono::steady_clock::now();
    polite.Send("INP A:UNIT?\n");
    EXPECT_EQ("K\r\n", polite.Line());
    EXPECT_LT(std::chrono::steady_clock::now() - asked, 2s);
    for (int q = 0; q < 80; ++q)
        ASSERT_EQ(Idn, greedy.Line()) << q;
}

TEST_F(Served, ReadOnlyRefusesChangesAndTheInstrumentKeepsItsState) {
    ServeOptions options;
    options.readOnly = true;
    Open(PortLAN, options);
    const std::string setPoint = Direct("LOOP 1:SETPT?");
    ClientSocket client(Port());
    client.Send("LOOP 1:SETPT 123.4\nCALC 3\nwritten\n;\nINP A:TEMP?;LOOP 1:SETPT 99\n"
                "LOOP 1:SETPT?\nCALC? 3\n");
    EXPECT_EQ(setPoint, client.Line());
    EXPECT_EQ("User Curve 3\r\nNone\r\n1.000000\r\nVolts\r\n;\r\n", client.Table());
    EXPECT_TRUE(events_.Says("\"LOOP 1:SETPT 123.4\": the instrument is shared read-only"));
    EXPECT_TRUE(events_.Says("\"CALC 3\": the instrument is shared read-only"));
    EXPECT_TRUE(events_.Says("\"INP A:TEMP?;LOOP 1:SETPT 99\": the instrument is shared"));
    EXPECT_EQ(setPoint, Direct("LOOP 1:SETPT?"));
}

TEST_F(Served, OnlyAllowedAddressesAndAtMostMaxClientsAreServed) {
    ServeOptions options;
    std::string why;
    options.allow.push_back(*ParseAllowRule("127.0.0.1", why));
    options.maxClients = 1;
    Open(PortLAN, options);
    ClientSocket stranger(Port(), "127.0.0.2");
    EXPECT_TRUE(stranger.ClosedByServer());
    EXPECT_TRUE(events_.Says("Client 127.0.0.2:"));
    EXPECT_TRUE(events_.Says("refused: its address is not allowed."));
    ClientSocket first(Port());
    first.Send("*IDN?\n");
    EXPECT_EQ(Idn, first.Line());
    ClientSocket second(Port());
    EXPECT_TRUE(second.ClosedByServer());
    EXPECT_TRUE(events_.Says("refused: 1 clients are connected already."));

    server_->Stop();
    EXPECT_TRUE(first.ClosedByServer());
    EXPECT_TRUE(events_.Says("closed: sharing ends (0 connected)."));
}

// Two programs of ours may connect to the shared instrument at once: they
// lock the server's address no more while it serves.
TEST_F(Served, OurOwnLanLinksShareTheServer) {
    Open(PortLAN);
    CTethraLink first, second;
    EXPECT_EQ(1, first.Connect("127.0.0.1", Port()));
    EXPECT_EQ(1, second.Connect("127.0.0.1", Port())) << second.LastError();
}

// A client that goes with a table on its way, or half a table input sent,
// leaves nothing in the link: the next client's replies are its own.
TEST_F(Served, AClientThatLeavesMidTransactionLeavesNothingBehind) {
    Open(PortLAN);
    {
        ClientSocket leaving(Port());
        leaving.Send("CALC? 1\nDLog:Read?\nCALC 3\nhalf a table\n");
    }
    ClientSocket next(Port());
    next.Send("*IDN?\nCALC? 3\n");
    EXPECT_EQ(Idn, next.Line());
    EXPECT_EQ("User Curve 3\r\nNone\r\n1.000000\r\nVolts\r\n;\r\n", next.Table());
}

// A table input sent line by line while another client queries arrives whole.
TEST_F(Served, ATableInputIsNeverInterleaved) {
    Open(PortLAN);
    ClientSocket writer(Port());
    ClientSocket reader(Port());
    const std::vector<std::string> curve = {"CALC 4",
                                            "Shared",
                                            "DT-470",
                                            "1.000000",
                                            "Volts",
                                            "0.500000 300.000000",
                                            "1.000000 77.000000",
                                            ";"};
    std::thread queries([&] {
        for (int q = 0; q < 40; ++q) {
            reader.Send("*IDN?\n");
            ASSERT_EQ(Idn, reader.Line());
        }
    });
    for (const std::string& line : curve) {
        writer.Send(line + "\n");
        std::this_thread::sleep_for(5ms);
    }
    queries.join();
    writer.Send("CALC? 4\n");
    EXPECT_EQ("Shared\r\nDT-470\r\n1.000000\r\nVolts\r\n0.500000 300.000000\r\n"
              "1.000000 77.000000\r\n;\r\n",
              writer.Table());
    // A client's table is no transfer of the program's own: no progress box.
    EXPECT_TRUE(ui_.Captions().empty());
}

TEST_F(Served, IdleClientsAndClientsThatDoNotReadAreClosed) {
    ServeOptions options;
    options.idleTimeout = 300ms;
    options.maxWaitingOutput = 1000;
    Open(PortLAN, options);
    ClientSocket idle(Port());
    EXPECT_TRUE(idle.ClosedByServer(3s));
    EXPECT_TRUE(events_.Says("closed: it sent nothing for 0.3 s"));

    ClientSocket deaf(Port(), nullptr, 4096);
    std::string many;
    for (int q = 0; q < 60; ++q)
        many += "*IDN?\n";
    for (int round = 0; round < 100 && !events_.Says("does not read", 1ms); ++round)
        deaf.Send(many);
    EXPECT_TRUE(events_.Says("closed: it does not read its replies")) << events_.Log();
    ClientSocket other(Port());
    other.Send("*IDN?\n");
    EXPECT_EQ(Idn, other.Line());
}

// The instrument goes and comes back on the same port: the client's query
// meanwhile gets no reply, then the server is serving again.
TEST_F(Served, ALostLinkIsOpenedAgain) {
    Open(PortLAN);
    ClientSocket client(Port());
    client.Send("*IDN?\n");
    ASSERT_EQ(Idn, client.Line());
    sim_.Stop();
    client.Send("*IDN?\n");
    EXPECT_EQ("", client.Line(1s));
    EXPECT_TRUE(events_.Says("The link to the instrument is lost"));
    ASSERT_TRUE(sim_.Start(TUNDRIX_SIM_PROGRAM, {"--tcp", simPort_}, {"tcp"})) << sim_.Error();
    std::string reply;
    for (int tries = 0; tries < 40 && reply.empty(); ++tries) {
        client.Send("*IDN?\n");
        reply = client.Line(500ms);
    }
    EXPECT_EQ(Idn, reply);
    EXPECT_TRUE(events_.Says("The link to the instrument is open again"));
    // The failures were said in the log; no box waited for a user meanwhile.
    EXPECT_TRUE(ui_.Boxes().empty());
}

} // namespace
