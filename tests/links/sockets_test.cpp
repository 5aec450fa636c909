// The TCP control socket and the UDP socket against loopback peers.

#include <gtest/gtest.h>

#include "links/system_tcp_socket.h"
#include "links/system_udp_socket.h"
#include "platform/virtual_loop.h"
#include "support/bytes.h"
#include "support/loopback_peers.h"

using namespace torvane;
using torvane::test::Hex;
using Bytes = std::vector<std::uint8_t>;

namespace {

struct RecordedEvents : TcpSocketEvents {
    // "connected", or why not.
    void OnTcpConnect(const Status& outcome) override {
        connects.push_back(outcome ? "connected" : outcome.error().message);
    }
    void OnTcpRead(const std::uint8_t* bytes, long result) override {
        reads.push_back(result);
        if (result > 0) received.insert(received.end(), bytes, bytes + result);
    }
    void OnTcpClose() override { ++closes; }

    std::vector<std::string> connects;
    std::vector<long> reads;
    Bytes received;
    int closes = 0;
};

class TcpSocket : public ::testing::Test {
  protected:
    bool Connected() {
        return loop_.RunUntil([&] { return !events_.connects.empty(); }, 2000);
    }
    void Settle(int ms = 50) {
        loop_.RunUntil([] { return false; }, ms);
    }

    VirtualLoop loop_;
    test::TcpListener peer_;
    RecordedEvents events_;
    SystemTcpControlSocket socket_{loop_};
};

}  // namespace

TEST_F(TcpSocket, ConnectsReadsAndSendsEachUnitInOneSegment) {
    ASSERT_TRUE(socket_.Connect("127.0.0.1", peer_.port, &events_));
    EXPECT_TRUE(events_.connects.empty()) << "the outcome arrives through the loop";
    ASSERT_TRUE(Connected());
    EXPECT_EQ(events_.connects, std::vector<std::string>{"connected"});
    const sockets::Handle far = peer_.Accept();
    ASSERT_NE(far, sockets::kNone);

    EXPECT_TRUE(test::OptionIsOn(test::FindSocket(peer_.port, true), sockets::Option::kNoDelay))
        << "a small unit must not wait for the peer's acknowledgement";

    const Bytes query = Hex("A5 5B 08 0C 00 00 00 00 00 00 00 00 ED");
    EXPECT_EQ(socket_.Send(query.data(), query.size()), 13);
    EXPECT_EQ(test::ReadFrom(far, 13), query);

    const Bytes reply = Hex("A5 5B 08 0C 01 00 00 00 00 00 00 00 EC");
    sockets::Send(far, reply.data(), reply.size());
    ASSERT_TRUE(loop_.RunUntil([&] { return events_.received.size() >= 13; }, 2000));
    EXPECT_EQ(events_.received, reply);
    EXPECT_EQ(events_.closes, 0);
}

TEST_F(TcpSocket, APeerThatClosesIsReportedOnceAndTheSocketStaysHeld) {
    ASSERT_TRUE(socket_.Connect("127.0.0.1", peer_.port, &events_));
    ASSERT_TRUE(Connected());
    test::ShutDown(peer_.Accept());
    ASSERT_TRUE(loop_.RunUntil([&] { return events_.closes > 0; }, 2000));
    Settle();
    EXPECT_EQ(events_.closes, 1);
    EXPECT_NE(test::FindSocket(peer_.port, true), sockets::kNone) << "the socket is still held";

    // A new attempt from the closed state connects again.
    ASSERT_TRUE(socket_.Connect("127.0.0.1", peer_.port, &events_));
    ASSERT_TRUE(loop_.RunUntil([&] { return events_.connects.size() == 2; }, 2000));
    EXPECT_EQ(events_.connects.back(), "connected");
}

TEST_F(TcpSocket, FailedAttemptsReportTheirErrorAndNothingElse) {
    const std::uint16_t closedPort = [] {
        test::TcpListener gone;
        return gone.port;
    }();
    // The reasons the operator reads after "Connect to Matrix failed!".
    const struct {
        const char* ip;
        std::uint16_t port;
        test::Failure reason;
    } attempts[] = {{"127.0.0.1", closedPort, test::Failure::kRefused},
                    {"", peer_.port, test::Failure::kNoAddress},
                    {"not an address", peer_.port, test::Failure::kNoAddress},
                    {"127.0.0.256", peer_.port, test::Failure::kNoAddress}};
    for (const auto& [ip, port, reason] : attempts) {
        RecordedEvents events;
        ASSERT_TRUE(socket_.Connect(ip, port, &events));
        // Windows tries a refused connection again for a second or two
        // before it gives up.
        ASSERT_TRUE(loop_.RunUntil([&] { return !events.connects.empty(); }, 5000)) << ip;
        Settle(20);
        ASSERT_EQ(events.connects.size(), 1u) << ip;
        EXPECT_EQ(events.connects[0], test::WordsFor(reason)) << ip;
        EXPECT_EQ(events.closes, 0) << ip;
        EXPECT_TRUE(events.reads.empty()) << ip;
    }
    EXPECT_EQ(socket_.Send(Hex("A5").data(), 1), -1) << "not connected";
}

TEST_F(TcpSocket, ASecondConnectDropsTheFirstAttempt) {
    RecordedEvents first;
    ASSERT_TRUE(socket_.Connect("127.0.0.1", peer_.port, &first));
    ASSERT_TRUE(socket_.Connect("127.0.0.1", peer_.port, &events_));
    ASSERT_TRUE(Connected());
    Settle();
    EXPECT_TRUE(first.connects.empty()) << "the first attempt's socket is gone";
    EXPECT_EQ(events_.connects, std::vector<std::string>{"connected"});

    // The listener saw two connections; the first was closed by us.
    const sockets::Handle a = peer_.Accept();
    const sockets::Handle b = peer_.Accept();
    ASSERT_NE(a, sockets::kNone);
    ASSERT_NE(b, sockets::kNone);
    EXPECT_TRUE(test::ReadFrom(a, 1, 500).empty());

    socket_.Close();
    socket_.Close();
    Settle();
    EXPECT_EQ(events_.closes, 0) << "closing ourselves reports nothing";
    EXPECT_EQ(test::FindSocket(peer_.port, true), sockets::kNone) << "the socket is gone";
}

TEST(UdpSocketTest, ReceivesAndSendsDatagramsOnLoopback) {
    VirtualLoop loop;
    SystemUdpSocket socket(loop);
    std::vector<Datagram> got;
    ASSERT_TRUE(socket.Open("127.0.0.1", 0, [&](const Datagram& d) { got.push_back(d); }));
    ASSERT_NE(socket.LocalPort(), 0);
    const sockets::Handle held = test::FindSocket(socket.LocalPort(), false);
    EXPECT_TRUE(test::OptionIsOn(held, sockets::Option::kBroadcast));
    EXPECT_TRUE(test::OptionIsOn(held, sockets::Option::kReuseAddress))
        << "binds beside a simulator on the same port";

    test::UdpPeer peer;
    Bytes answer(76, 0x11);
    peer.SendTo(socket.LocalPort(), Hex("61"));
    peer.SendTo(socket.LocalPort(), answer);
    ASSERT_TRUE(loop.RunUntil([&] { return got.size() == 2; }, 2000));
    EXPECT_EQ(got[0].bytes, Hex("61"));
    EXPECT_EQ(got[1].bytes, answer);
    EXPECT_EQ(got[1].fromIp, "127.0.0.1");
    EXPECT_EQ(got[1].fromPort, peer.port);

    auto sent = socket.SendTo("127.0.0.1", peer.port, answer.data(), answer.size());
    ASSERT_TRUE(sent);
    EXPECT_EQ(*sent, 76u);
    EXPECT_EQ(peer.Receive(), answer);
    sent = socket.SendTo("bad", peer.port, answer.data(), answer.size());
    ASSERT_FALSE(sent);
    EXPECT_EQ(sent.error().kind, Error::Kind::kBadInput);
    EXPECT_EQ(sent.error().message, "not an IPv4 address: bad");
}

TEST(UdpSocketTest, OpenSharesAPortOnlyWithSocketsThatAllowItAndAHandlerMayClose) {
    VirtualLoop loop;
    SystemUdpSocket first(loop), second(loop);
    ASSERT_TRUE(first.Open("127.0.0.1", 0, [&](const Datagram&) { first.Close(); }));
    EXPECT_TRUE(second.Open("127.0.0.1", first.LocalPort(), nullptr)) << "both share the port";
    test::UdpPeer peer;  // holds its port exclusively
    Status opened = second.Open("127.0.0.1", peer.port, nullptr);
    ASSERT_FALSE(opened);
    EXPECT_EQ(opened.error().kind, Error::Kind::kSystem);
    EXPECT_EQ(opened.error().message, "cannot bind 127.0.0.1:" + std::to_string(peer.port) + ": " +
                                          test::WordsFor(test::Failure::kPortHeld));
    opened = second.Open("localhost", 0, nullptr);
    ASSERT_FALSE(opened);
    EXPECT_EQ(opened.error().kind, Error::Kind::kBadInput);
    EXPECT_EQ(opened.error().message, "not an IPv4 address: localhost");
    EXPECT_EQ(second.LocalPort(), 0);

    peer.SendTo(first.LocalPort(), Hex("01"));
    peer.SendTo(first.LocalPort(), Hex("02"));
    loop.RunUntil([&] { return first.LocalPort() == 0; }, 2000);
    EXPECT_EQ(first.LocalPort(), 0) << "closed by its own handler";
    const auto sent = first.SendTo("127.0.0.1", peer.port, Hex("01").data(), 1);
    ASSERT_FALSE(sent);
    EXPECT_EQ(sent.error().message, "the UDP socket is not open");
}

// A search as it goes on one machine: the switcher's module listens on the
// wildcard address, the program binds loopback on the same port, asks by
// broadcast and hears the answer sent back to its port.
TEST(UdpSocketTest, ABroadcastReachesASwitcherOnTheSamePortAndItsAnswerComesBack) {
    VirtualLoop loop;
    SystemUdpSocket switcher(loop), program(loop);
    std::vector<Datagram> asked, answered;
    ASSERT_TRUE(switcher.Open("0.0.0.0", 0, [&](const Datagram& d) {
        asked.push_back(d);
        ASSERT_TRUE(switcher.SendTo(d.fromIp, d.fromPort, Hex("62 02").data(), 2));
    }));
    const std::uint16_t port = switcher.LocalPort();
    ASSERT_TRUE(program.Open("127.0.0.1", port, [&](const Datagram& d) { answered.push_back(d); }));

    const auto sent = program.SendTo("127.255.255.255", port, Hex("61").data(), 1);
    ASSERT_TRUE(sent) << sent.error().message;
    ASSERT_TRUE(loop.RunUntil([&] { return !answered.empty(); }, 2000));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].bytes, Hex("61"));
    EXPECT_EQ(asked[0].fromPort, port);
    EXPECT_EQ(answered.size(), 1u) << "the program does not hear its own broadcast";
    EXPECT_EQ(answered[0].bytes, Hex("62 02"));
}
