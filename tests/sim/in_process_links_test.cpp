// The in-process links as the controller uses them: serial port, TCP control
// socket and the UDP LAN with several switchers, all on virtual time.

#include "sim/in_process_links.h"

#include <gtest/gtest.h>

#include "links/socket_calls.h"
#include "platform/virtual_loop.h"
#include "protocol/tcp_reassembly.h"
#include "sim_rig.h"

namespace torvane::sim::test {
namespace {

struct SerialOwner : SerialPortOwner {
    void OnSerialBytes(const std::uint8_t* bytes, std::size_t count) override {
        received.insert(received.end(), bytes, bytes + count);
    }
    void OnSerialFailure() override { ++failures; }
    std::vector<std::uint8_t> received;
    int failures = 0;
};

struct TcpEvents : TcpSocketEvents {
    // "connected", or why not.
    void OnTcpConnect(const Status& outcome) override {
        connects.push_back(outcome ? "connected" : outcome.error().message);
    }
    void OnTcpRead(const std::uint8_t* bytes, long result) override {
        reads.push_back(ToHex(bytes, static_cast<std::size_t>(result)));
    }
    void OnTcpClose() override { ++closes; }
    std::vector<std::string> connects;
    std::vector<std::string> reads;
    int closes = 0;
};

struct Lan : ::testing::Test {
    VirtualLoop loop;
    SwitcherModel model{loop};
    SimLinkFactory links{loop};
    Lan() { links.AddSwitcher(model); }
};

using SerialLink = Lan;

TEST_F(SerialLink, OpensOnlyTheSwitchersPathAndDeliversRepliesThroughTheLoop) {
    SerialOwner owner;
    auto port = links.MakeSerialPort();
    const Status missing = port->InitPort(&owner, "/dev/ttyUSB0", {});
    EXPECT_FALSE(missing);
    EXPECT_EQ(missing.error().message, "no such port: /dev/ttyUSB0");
    ASSERT_TRUE(port->InitPort(&owner, kDefaultSerialPath, {}));
    EXPECT_FALSE(links.MakeSerialPort()->InitPort(&owner, kDefaultSerialPath, {})) << "busy";
    ASSERT_TRUE(port->StartMonitoring());

    model.Timing().replyDelayMs = 0;
    auto query = Hex(kPowerQuery);
    port->WriteToPort(query.data(), query.size());
    EXPECT_TRUE(owner.received.empty());
    loop.RunPending();
    EXPECT_EQ(ToHex(owner.received), kPowerOn);

    owner.received.clear();
    port->WriteToPort(query.data(), query.size());
    port->StopMonitoring();
    loop.Advance(100);
    EXPECT_TRUE(owner.received.empty()) << "nothing after StopMonitoring";
    EXPECT_TRUE(links.MakeSerialPort()->InitPort(&owner, kDefaultSerialPath, {})) << "released";
}

TEST_F(SerialLink, UnpluggingFailsTheOpenPortOnceAndThePathVanishesUntilPluggedIn) {
    SerialOwner owner;
    auto port = links.MakeSerialPort();
    ASSERT_TRUE(port->InitPort(&owner, kDefaultSerialPath, {}));
    port->StartMonitoring();
    links.UnplugSerial();
    EXPECT_EQ(owner.failures, 0) << "reported through the loop";
    loop.Advance(1000);
    EXPECT_EQ(owner.failures, 1);

    auto query = Hex(kPowerQuery);
    port->WriteToPort(query.data(), query.size());
    loop.Advance(1000);
    EXPECT_TRUE(owner.received.empty());
    EXPECT_EQ(owner.failures, 1);
    EXPECT_FALSE(port->InitPort(&owner, kDefaultSerialPath, {}));
    links.PlugInSerial();
    EXPECT_TRUE(port->InitPort(&owner, kDefaultSerialPath, {}));
}

std::vector<std::string> ListedPorts(PortSource& source) {
    std::vector<SSerInfo> ports;
    const Status listed = source.ListPorts(&ports);
    EXPECT_TRUE(listed) << listed.error().message;
    std::vector<std::string> paths;
    for (const auto& port : ports) paths.push_back(port.devicePath);
    return paths;
}

TEST_F(SerialLink, ThePortListShowsPluggedInSwitchersAndWhetherTheyAreBusy) {
    SwitcherModel second(loop);
    links.AddSwitcher(second, "/dev/torvane-sim-2");
    auto source = links.MakePortSource();
    EXPECT_EQ(ListedPorts(*source),
              (std::vector<std::string>{kDefaultSerialPath, "/dev/torvane-sim-2"}));
    SerialOwner owner;
    auto port = links.MakeSerialPort();
    ASSERT_TRUE(port->InitPort(&owner, kDefaultSerialPath, {}));
    EXPECT_TRUE(source->IsBusy(kDefaultSerialPath));
    EXPECT_FALSE(source->IsBusy("/dev/torvane-sim-2"));
    links.UnplugSerial("/dev/torvane-sim-2");
    EXPECT_EQ(ListedPorts(*source), std::vector<std::string>{kDefaultSerialPath});
}

using TcpLink = Lan;

// What a real socket reports for a refused connection on this system.
std::string Refused() { return sockets::ErrorText(sockets::RefusedError()); }

TEST_F(TcpLink, ConnectsToTheSwitchersAddressOnlyAndRepliesArriveAsReadEvents) {
    TcpEvents events;
    auto socket = links.MakeTcpControlSocket();
    ASSERT_TRUE(socket->Connect("127.0.0.1", 8001, &events));
    EXPECT_TRUE(events.connects.empty()) << "the outcome comes through the loop";
    loop.RunPending();
    ASSERT_TRUE(socket->Connect("127.0.0.2", 8000, &events));
    loop.RunPending();
    ASSERT_TRUE(socket->Connect("127.0.0.1", 8000, &events));
    loop.RunPending();
    const std::string refused = Refused();
    EXPECT_EQ(events.connects, (std::vector<std::string>{refused, refused, "connected"}));
    EXPECT_EQ(links.TcpConnectionCount(model), 1);

    auto query = Hex(kPowerQuery);
    EXPECT_EQ(socket->Send(query.data(), query.size()), 13);
    loop.Advance(model.Timing().replyDelayMs);
    EXPECT_EQ(events.reads, std::vector<std::string>{kPowerOn});

    links.DropTcpConnections(model);
    loop.RunPending();
    EXPECT_EQ(events.closes, 1);
    EXPECT_EQ(socket->Send(query.data(), query.size()), -1);
    EXPECT_EQ(links.TcpConnectionCount(model), 0);
}

TEST_F(TcpLink, CloseBeforeTheOutcomeCancelsTheAttempt) {
    TcpEvents events;
    auto socket = links.MakeTcpControlSocket();
    (void)socket->Connect("127.0.0.1", 8000, &events);
    socket->Close();
    loop.RunPending();
    EXPECT_TRUE(events.connects.empty());
    links.SetTcpAccepting(model, false);
    (void)socket->Connect("127.0.0.1", 8000, &events);
    loop.RunPending();
    EXPECT_EQ(events.connects, std::vector<std::string>{Refused()});
}

// The split and glue faults, seen through the program's own TCP reassembly.
TEST_F(TcpLink, SplitAndGluedRepliesArriveAsTheReadsTheyWouldBe) {
    TcpEvents events;
    auto socket = links.MakeTcpControlSocket();
    (void)socket->Connect("127.0.0.1", 8000, &events);
    loop.RunPending();
    std::vector<std::string> dispatched;
    TcpReassembly reassembly(
        [&](const std::uint8_t* f, std::size_t n) { dispatched.push_back(ToHex(f, n)); });
    auto exchange = [&](const std::string& request) {
        events.reads.clear();
        auto bytes = Hex(request);
        socket->Send(bytes.data(), bytes.size());
        loop.Advance(100);
        for (const auto& read : events.reads) {
            auto chunk = Hex(read);
            reassembly.OnRead(chunk.data(), static_cast<long>(chunk.size()));
        }
        return events.reads;
    };

    model.Faults().tcpSplitAt = 5;
    model.Faults().tcpSplitGapMs = 20;
    EXPECT_EQ(exchange(kPowerQuery),
              (std::vector<std::string>{"A5 5B 08 0C 0F", "00 00 00 00 00 00 00 DD"}));
    EXPECT_EQ(dispatched, std::vector<std::string>{kPowerOn});

    model.Faults().tcpSplitAt = 0;
    model.Faults().tcpGlue = true;
    EXPECT_TRUE(exchange(kPowerQuery).empty()) << "held for the next reply";
    model.State().powerOn = false;
    EXPECT_EQ(exchange(kPowerQuery),
              std::vector<std::string>{kPowerOn + " " + CommandHex("08 0C F0")});
    EXPECT_EQ(dispatched, (std::vector<std::string>{kPowerOn, kPowerOn}))
        << "the glued second frame is lost";
}

struct ThreeSwitchers : ::testing::Test {
    VirtualLoop loop;
    SwitcherModel a{loop}, b{loop}, c{loop};
    SimLinkFactory links{loop};
    std::vector<Datagram> heard;
    std::unique_ptr<UdpSocket> socket = links.MakeUdpSocket();

    ThreeSwitchers() {
        std::uint8_t n = 2;
        for (SwitcherModel* m : {&a, &b, &c}) {
            m->State().network.ip = {127, 0, 0, n};
            m->State().network.mac[5] = n++;
            links.AddSwitcher(*m, "/dev/sim" + std::to_string(n));
        }
    }
    void Open(std::uint16_t port) {
        ASSERT_TRUE(
            socket->Open("0.0.0.0", port, [this](const Datagram& d) { heard.push_back(d); }));
    }
    std::vector<std::string> Discover(const std::string& to = "127.255.255.255") {
        heard.clear();
        Open(kDiscoveryPort);
        const std::uint8_t request = 0x61;
        EXPECT_TRUE(socket->SendTo(to, kDiscoveryPort, &request, 1));
        loop.Advance(100);
        std::vector<std::string> ips;
        for (const auto& d : heard) {
            EXPECT_GE(d.bytes.size(), 50u);
            EXPECT_EQ(ToHex(std::vector<std::uint8_t>(d.bytes.begin() + 18, d.bytes.begin() + 20)),
                      "77 88");
            EXPECT_EQ(d.fromPort, kDiscoveryPort);
            ips.push_back(d.fromIp);
        }
        return ips;
    }
};

TEST_F(ThreeSwitchers, EachAnswersDiscoveryWithItsOwnSettings) {
    EXPECT_EQ(Discover(), (std::vector<std::string>{"127.0.0.2", "127.0.0.3", "127.0.0.4"}));
    EXPECT_EQ(ToHex(std::vector<std::uint8_t>(heard[1].bytes.begin(), heard[1].bytes.begin() + 18)),
              "02 54 56 00 00 03 7F 00 00 03 7F 00 00 01 FF 00 00 00");
    EXPECT_EQ(Discover("255.255.255.255").size(), 3u);
    EXPECT_EQ(Discover("127.0.0.3"), std::vector<std::string>{"127.0.0.3"});
    c.Faults().answerDiscovery = false;
    EXPECT_EQ(Discover().size(), 2u);
}

std::vector<std::uint8_t> ConfigPacket(std::uint8_t macLast, bool automatic) {
    std::vector<std::uint8_t> p(76, 0x00);
    const std::uint8_t mac[6] = {0x02, 0x54, 0x56, 0x00, 0x00, macLast};
    std::copy(mac, mac + 6, p.begin());
    if (!automatic) {
        const std::uint8_t addresses[12] = {127, 0, 0, 9, 127, 0, 0, 1, 255, 255, 255, 0};
        std::copy(addresses, addresses + 12, p.begin() + 6);
    }
    p[18] = automatic ? 0x01 : 0x00;
    std::copy(mac, mac + 6, p.begin() + 19);
    p[24] = 0x99;  // new MAC ends 99
    p[25] = automatic ? 0x16 : 0x17;
    p[74] = 0xFF;
    unsigned sum = 0;
    for (int i = 0; i < 75; ++i) sum += p[i];
    p[75] = static_cast<std::uint8_t>(sum);
    return p;
}

TEST_F(ThreeSwitchers, OnlyTheSwitcherWithTheMacTakesAConfigurationThenAnswersWithIt) {
    Open(kConfigPort);
    auto badSum = ConfigPacket(3, false);
    badSum[75] ^= 1;
    auto otherMac = ConfigPacket(7, false);
    for (const auto& packet : {badSum, otherMac})
        EXPECT_TRUE(socket->SendTo("255.255.255.255", kConfigPort, packet.data(), 76));
    loop.Advance(100);
    EXPECT_TRUE(heard.empty());

    const auto packet = ConfigPacket(3, false);
    EXPECT_TRUE(socket->SendTo("255.255.255.255", kConfigPort, packet.data(), 76));
    loop.Advance(100);
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0].fromIp, "127.0.0.3") << "answered from the address it had";
    ASSERT_GE(heard[0].bytes.size(), 76u);
    EXPECT_EQ(heard[0].bytes[74], 0x00);

    EXPECT_EQ(Discover(), (std::vector<std::string>{"127.0.0.2", "127.0.0.9", "127.0.0.4"}));
    EXPECT_EQ(ToHex(std::vector<std::uint8_t>(heard[1].bytes.begin(), heard[1].bytes.begin() + 18)),
              "02 54 56 00 00 99 7F 00 00 09 7F 00 00 01 FF FF FF 00");
    TcpEvents events;
    auto tcp = links.MakeTcpControlSocket();
    (void)tcp->Connect("127.0.0.9", 8000, &events);
    loop.RunPending();
    EXPECT_EQ(events.connects, std::vector<std::string>{"connected"})
        << "the control port moves with the address";
}

TEST_F(ThreeSwitchers, OtherSocketsOnThePortHearTheBroadcast) {
    auto listener = links.MakeUdpSocket();
    std::vector<Datagram> listened;
    ASSERT_TRUE(listener->Open("0.0.0.0", kDiscoveryPort,
                               [&](const Datagram& d) { listened.push_back(d); }));
    EXPECT_EQ(Discover().size(), 3u) << "the sender does not hear itself by default";
    ASSERT_EQ(listened.size(), 1u);
    EXPECT_EQ(ToHex(listened[0].bytes), "61");
    links.echoBroadcastsToSender = true;
    heard.clear();
    const std::uint8_t request = 0x61;
    EXPECT_TRUE(socket->SendTo("127.255.255.255", kDiscoveryPort, &request, 1));
    loop.Advance(100);
    ASSERT_EQ(heard.size(), 4u);
    EXPECT_EQ(ToHex(heard[0].bytes), "61")
        << "its own request first, as the Receive log would show";
}

}  // namespace
}  // namespace torvane::sim::test
