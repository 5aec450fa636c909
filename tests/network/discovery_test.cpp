// Search and the switcher list on virtual time, against in-process simulated
// switchers and hand-made datagrams on the in-process LAN.

#include <algorithm>

#include "app/operator_fixture.h"
#include "network/config_packet.h"

namespace torvane::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr const char* kNoFields = "...  gw ... mask ...";

// A discovery answer of `size` bytes from the switcher at `ip` with MAC
// 02 00 00 00 00 `macLast`; `marked` carries 77 88 at 18.
Bytes Answer(const sim::Ipv4& ip, std::uint8_t macLast, bool marked = true, std::size_t size = 50) {
    Bytes bytes(size, 0x00);
    const Bytes head{0x02,  0x00, 0x00, 0x00, 0x00, macLast, ip[0], ip[1], ip[2],
                     ip[3], 10,   0,    0,    1,    255,     255,   255,   0};
    std::copy_n(head.begin(), std::min(head.size(), size), bytes.begin());
    if (marked && size >= 20) {
        bytes[18] = 0x77;
        bytes[19] = 0x88;
    }
    return bytes;
}

class DiscoveryTest : public OperatorTest {
  protected:
    void SetUp() override {
        OperatorTest::SetUp();
        dlg->SetDiscoverySettings(
            {"127.0.0.1", "127.255.255.255", sim::kDiscoveryPort, sim::kConfigPort});
        dlg->Click(res::kTcpModeRadio);
        peer = links.MakeUdpSocket();
        ASSERT_TRUE(peer->Open("127.0.0.9", 40000, nullptr));
    }
    // Search with no simulated switcher answering, so only `Say` is heard.
    void QuietSearch() {
        model.Faults().answerDiscovery = false;
        dlg->Click(res::kSearchButton);
        loop.RunPending();
    }
    void Say(const Bytes& datagram) {
        EXPECT_TRUE(
            peer->SendTo("127.0.0.1", sim::kDiscoveryPort, datagram.data(), datagram.size()));
        loop.RunPending();
    }
    std::vector<std::string> Listed() const { return Ui().Items(res::kSwitcherIpList); }
    std::string Fields() const {
        const NetworkFields& f = dlg->SwitcherDiscovery().Fields();
        return AddressText(f.ip) + " " + MacText(f.mac) + " gw " + AddressText(f.gateway) +
               " mask " + AddressText(f.netmask);
    }
    std::string ReceiveLog() const { return dlg->ReceiveLogView().Text(); }

    std::unique_ptr<UdpSocket> peer;
};

TEST_F(DiscoveryTest, SearchBroadcastsOneByteAndListsTheAnsweringSwitcher) {
    dlg->Click(res::kSearchButton);
    ASSERT_FALSE(links.SentDatagrams().empty());
    const auto& request = links.SentDatagrams().back();
    EXPECT_EQ(request.toIp, "127.255.255.255");
    EXPECT_EQ(request.toPort, sim::kDiscoveryPort);
    EXPECT_EQ(ToHex(request.bytes), "61");

    Settle();
    EXPECT_EQ(Listed(), std::vector<std::string>{"127.0.0.1"});
    EXPECT_EQ(Text(res::kSwitcherIpList), "127.0.0.1") << "the first item is selected";
    EXPECT_EQ(Fields(), "127.0.0.1 025456000001 gw 127.0.0.1 mask 255.0.0.0");
    EXPECT_TRUE(dlg->Timers().IsRunning(1004));
    EXPECT_NE(ReceiveLog().find("02 54 56 00 00 01 7F 00 00 01 7F 00 00 \r\n01 FF"),
              std::string::npos)
        << ReceiveLog();
}

TEST_F(DiscoveryTest, TheRequestComingBackIsOnlyEchoed) {
    // Only a socket on the wildcard address hears broadcasts, its own included.
    dlg->SetDiscoverySettings(
        {"0.0.0.0", "127.255.255.255", sim::kDiscoveryPort, sim::kConfigPort});
    links.echoBroadcastsToSender = true;
    QuietSearch();
    EXPECT_EQ(ReceiveLog(), "61 ");
    EXPECT_TRUE(Listed().empty());
    EXPECT_EQ(Fields(), kNoFields);
    EXPECT_FALSE(dlg->Timers().IsRunning(1004));
}

TEST_F(DiscoveryTest, ShortOrUnmarkedDatagramsListNothing) {
    QuietSearch();
    Say(Answer({10, 0, 0, 7}, 7, true, 49));
    EXPECT_EQ(Fields(), kNoFields) << "49 bytes are only echoed, mark or not";
    Say(Answer({10, 0, 0, 8}, 8, false));
    EXPECT_EQ(Fields(), "10.0.0.8 020000000008 gw 10.0.0.1 mask 255.255.255.0")
        << "50 bytes without the mark still set the fields";
    EXPECT_TRUE(Listed().empty());
    EXPECT_FALSE(dlg->Timers().IsRunning(1004));

    Say(Bytes(1100, 0xAB));
    const std::string log = ReceiveLog();
    EXPECT_EQ(std::count(log.begin(), log.end(), ' '), 49 + 50 + 1024)
        << "one read takes at most 1024 bytes";
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 3 + 3 + 1024 / 13);
}

TEST_F(DiscoveryTest, TheListIsInTextOrderAndEachItemKeepsItsOwnMac) {
    QuietSearch();
    Say(Answer({10, 0, 0, 3}, 3));
    Say(Answer({10, 0, 0, 20}, 20));
    EXPECT_EQ(Listed(), (std::vector<std::string>{"10.0.0.20", "10.0.0.3"}));
    EXPECT_EQ(Text(res::kSwitcherIpList), "10.0.0.20");
    EXPECT_EQ(Fields(), "10.0.0.20 020000000014 gw 10.0.0.1 mask 255.255.255.0");

    dlg->Select(res::kSwitcherIpList, 1);
    EXPECT_EQ(Fields(), "10.0.0.3 020000000003 gw 10.0.0.1 mask 255.255.255.0");
    dlg->Select(res::kSwitcherIpList, 0);
    EXPECT_EQ(Fields(), "10.0.0.20 020000000014 gw 10.0.0.1 mask 255.255.255.0");

    Say(Answer({10, 0, 0, 3}, 3));
    EXPECT_EQ(Listed(), (std::vector<std::string>{"10.0.0.20", "10.0.0.3", "10.0.0.3"}))
        << "a switcher that answers twice is listed twice";
    dlg->Select(res::kSwitcherIpList, 2);
    EXPECT_EQ(Fields(), "10.0.0.3 020000000003 gw 10.0.0.1 mask 255.255.255.0");

    dlg->Click(res::kSearchButton);
    EXPECT_TRUE(Listed().empty()) << "each Search starts a new list";
}

TEST_F(DiscoveryTest, ASearchListsAtMost256Switchers) {
    QuietSearch();
    for (int n = 0; n < 260; ++n)
        Say(Answer({10, 0, static_cast<std::uint8_t>(n / 250), static_cast<std::uint8_t>(n % 250)},
                   static_cast<std::uint8_t>(n)));
    EXPECT_EQ(Listed().size(), 256u);
    EXPECT_EQ(dlg->SwitcherDiscovery().Listed().size(), 256u);
}

TEST_F(DiscoveryTest, SearchDisconnectsTheTcpLink) {
    ConnectTcp();
    ASSERT_TRUE(dlg->TcpConnected());
    dlg->Click(res::kSearchButton);
    EXPECT_FALSE(dlg->TcpConnected());
    EXPECT_EQ(Text(res::kTcpConnectButton), "Connect");
    loop.RunPending();
    EXPECT_EQ(links.TcpConnectionCount(model), 0);

    Settle();
    dlg->Click(res::kTcpConnectButton);
    Settle();
    EXPECT_TRUE(dlg->TcpConnected()) << "the listed switcher takes a new connection";
}

TEST_F(DiscoveryTest, ASocketThatCannotBeMadeSendsNothing) {
    dlg->SetDiscoverySettings(
        {"not an address", "127.255.255.255", sim::kDiscoveryPort, sim::kConfigPort});
    dlg->Click(res::kSearchButton);
    Settle();
    EXPECT_TRUE(links.SentDatagrams().empty());
    EXPECT_FALSE(dlg->Message().Showing());
}

}  // namespace
}  // namespace torvane::test
