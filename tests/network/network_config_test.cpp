// The network configuration dialog and the configuration round trip on
// virtual time, against in-process simulated switchers.

#include <tuple>

#include "app/operator_fixture.h"
#include "network/config_packet.h"

namespace torvane::test {
namespace {

class NetworkConfigTest : public OperatorTest {
  protected:
    void SetUp() override {
        OperatorTest::SetUp();
        dlg->SetDiscoverySettings(
            {"127.0.0.1", "127.255.255.255", sim::kDiscoveryPort, sim::kConfigPort});
        dlg->Click(res::kTcpModeRadio);
    }
    CConfigIPDlg& Config() { return dlg->ConfigIp(); }
    void Search() {
        dlg->Click(res::kSearchButton);
        Settle();
    }
    template <std::size_t N>
    void Type(const int (&ids)[N], const std::array<std::string, N>& texts) {
        for (std::size_t i = 0; i < N; ++i) Config().EditText(ids[i], texts[i]);
    }
    void TypeStatic(const std::string& ip, const std::string& mask, const std::string& gateway) {
        Config().Click(res::kStaticIpRadio);
        Type(res::kConfigIpEdits, SplitAddressText(ip));
        Type(res::kConfigNetmaskEdits, SplitAddressText(mask));
        Type(res::kConfigGatewayEdits, SplitAddressText(gateway));
    }
    // The messages OK shows, each closed in turn.
    std::vector<std::string> PressOkCollecting() {
        Config().Click(res::kConfigOkButton);
        std::vector<std::string> shown;
        while (dlg->Message().Showing()) {
            shown.push_back(dlg->Message().MessageText());
            PressOk();
        }
        return shown;
    }
    std::vector<std::vector<std::uint8_t>> ConfigPackets() const {
        std::vector<std::vector<std::uint8_t>> packets;
        for (const auto& d : links.SentDatagrams())
            if (d.toPort == sim::kConfigPort) packets.push_back(d.bytes);
        return packets;
    }
};

TEST_F(NetworkConfigTest, TheDialogStartsFromTheLatestAnswerInAutoMode) {
    Search();
    dlg->Click(res::kConfigButton);
    ASSERT_TRUE(Config().Running());
    const auto& ui = Config().Controls();
    EXPECT_TRUE(ui.Checked(res::kAutoIpRadio));
    EXPECT_EQ(ui.At(res::kConfigCloseButton).tooltip, "Close");
    const std::pair<const int*, std::string> rows[] = {{res::kConfigIpEdits, "127 0 0 1"},
                                                       {res::kConfigNetmaskEdits, "255 0 0 0"},
                                                       {res::kConfigGatewayEdits, "127 0 0 1"}};
    for (const auto& [ids, texts] : rows) {
        std::string shown;
        for (int i = 0; i < 4; ++i) {
            if (i) shown += ' ';
            shown += ui.Text(ids[i]);
            EXPECT_FALSE(ui.Enabled(ids[i])) << ids[i];
        }
        EXPECT_EQ(shown, texts);
    }
    std::string mac;
    for (int id : res::kConfigMacEdits) mac += ui.Text(id);
    EXPECT_EQ(mac, "025456000001");

    Config().Click(res::kStaticIpRadio);
    EXPECT_TRUE(ui.Enabled(res::kConfigNetmaskEdits[3]));
    Config().EditText(res::kConfigIpEdits[0], "1x");
    EXPECT_EQ(ui.Text(res::kConfigIpEdits[0]), "127") << "address edits take digits only";
    Config().KeyDown(kKeyEscape);
    Config().KeyDown(kKeyEnter);
    EXPECT_TRUE(Config().Running()) << "the keyboard ends nothing";
}

TEST_F(NetworkConfigTest, OkNamesEveryGroupThatIsWrongAndStaysOpen) {
    Search();
    struct Case {
        const char* ip;
        const char* mask;
        const char* gateway;
        const char* mac1;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {"10.0.0.100", "255.255.255.0", "10.0.0.1", "02", {}},
        {"10.0..100", "255.255.255.0", "10.0.0.1", "02", {"IP Error!"}},
        {"10.0.0.256", "255.255.255.0", "10.0.0.1", "02", {"IP Error!"}},
        {"10.0.0.100", "255.255.255.", "10.0.0.1", "02", {"Netmask Error!"}},
        {"10.0.0.100", "255.255.255.0", "1000.0.0.1", "02", {"GateWay Error!"}},
        {"10.0.0.100", "255.255.255.0", "10.0.0.1", "", {"Mac Error!"}},
        {"10.0.0.100", "255.255.255.0", "10.0.0.1", "2", {"Mac Error!"}},
        {"10.0.0.100", "255.255.255.0", "10.0.0.1", "0G", {"Mac Error!"}},
        {"10.0.0.100", "255.255.255.0", "10.0.0.1", "023", {"Mac Error!"}},
        {"", "", "10.0.0.1", "", {"IP Error!", "Netmask Error!", "Mac Error!"}},
    };
    for (const auto& c : cases) {
        dlg->Click(res::kConfigButton);
        TypeStatic(c.ip, c.mask, c.gateway);
        Config().EditText(res::kConfigMacEdits[0], c.mac1);
        EXPECT_EQ(PressOkCollecting(), c.messages)
            << c.ip << " " << c.mask << " " << c.gateway << " " << c.mac1;
        EXPECT_EQ(Config().Running(), !c.messages.empty()) << c.ip;
        if (Config().Running()) Config().Click(res::kConfigCancelButton);
        dlg->Busy().CloseBusy();
        loop.Advance(20000);
        if (dlg->Message().Showing()) PressOk();
    }
}

TEST_F(NetworkConfigTest, WithoutASearchTheMacIsMissingAndAutoFieldsAreStillExamined) {
    dlg->Click(res::kConfigButton);
    EXPECT_EQ(PressOkCollecting(), (std::vector<std::string>{"IP Error!", "Netmask Error!",
                                                             "GateWay Error!", "Mac Error!"}));
    EXPECT_TRUE(Config().Running());
    EXPECT_TRUE(ConfigPackets().empty());
}

TEST_F(NetworkConfigTest, CancelAndCloseKeepTheAddressModeChosen) {
    dlg->Click(res::kConfigButton);
    Config().Click(res::kStaticIpRadio);
    Config().Click(res::kConfigCancelButton);
    EXPECT_FALSE(Config().Running());
    EXPECT_TRUE(ConfigPackets().empty());
    EXPECT_FALSE(dlg->Busy().Flagged());

    dlg->Click(res::kConfigButton);
    EXPECT_TRUE(Config().Controls().Checked(res::kStaticIpRadio));
    EXPECT_TRUE(Config().Controls().Enabled(res::kConfigIpEdits[0]));
    Config().Click(res::kAutoIpRadio);
    Config().Click(res::kConfigCloseButton);
    EXPECT_FALSE(Config().Running());
    EXPECT_EQ(Config().Mode(), AddressMode::kAuto);
}

TEST_F(NetworkConfigTest, TheStaticPacketCarriesTheNewAddressesAndAPlainSum) {
    Search();
    dlg->Click(res::kConfigButton);
    TypeStatic("10.0.0.100", "255.255.255.0", "10.0.0.1");
    Config().EditText(res::kConfigMacEdits[5], "0a");
    EXPECT_TRUE(PressOkCollecting().empty());
    ASSERT_EQ(ConfigPackets().size(), 1u);
    const auto& sent = links.SentDatagrams().back();
    EXPECT_EQ(sent.toIp, "127.255.255.255");
    const std::string expected =
        "02 54 56 00 00 01 0A 00 00 64 0A 00 00 01 FF FF FF 00 00 02 54 56 00 00 0A 17 " +
        ToHex(std::vector<std::uint8_t>(48, 0)) + " FF EF";
    EXPECT_EQ(ToHex(sent.bytes), expected);
    EXPECT_EQ(Text(res::kTcpConnectButton), "Connect");
    EXPECT_EQ(BusyLabel().rfind("Configuring", 0), 0u) << BusyLabel();
}

TEST_F(NetworkConfigTest, TheAutoPacketCarriesNoAddresses) {
    MacFields mac{"02", "54", "56", "00", "00", "01"};
    ConfigEdits result{{"10", "0", "0", "100"},
                       {"255", "255", "255", "0"},
                       {"10", "0", "0", "1"},
                       {"02", "54", "56", "00", "00", "02"}};
    const ConfigPacket packet = BuildConfigPacket(AddressMode::kAuto, mac, result);
    const std::string expected = "02 54 56 00 00 01 " + ToHex(std::vector<std::uint8_t>(12, 0)) +
                                 " 01 02 54 56 00 00 02 16 " +
                                 ToHex(std::vector<std::uint8_t>(48, 0)) + " FF 71";
    EXPECT_EQ(ToHex(packet.data(), packet.size()), expected);
    EXPECT_EQ(HexFieldValue("zz"), 0) << "fields that are not hex read as 00";
}

TEST_F(NetworkConfigTest, ARoundTripEndsInConfigureSuccessfullyWithTheNewAddressListed) {
    Search();
    dlg->Click(res::kConfigButton);
    TypeStatic("127.0.0.9", "255.0.0.0", "127.0.0.1");
    ASSERT_TRUE(PressOkCollecting().empty());
    EXPECT_TRUE(dlg->Timers().IsRunning(1008));
    EXPECT_EQ(dlg->Configuration(), ConfigurationState::kWaiting);
    Settle();
    EXPECT_EQ(FormatIpv4(model.State().network.ip), "127.0.0.9");
    EXPECT_EQ(Ui().Items(res::kSwitcherIpList), std::vector<std::string>{"127.0.0.9"})
        << "the answer started a new Search";
    loop.Advance(900);
    EXPECT_EQ(BusyLabel(), "Configure successfully!");
    EXPECT_TRUE(dlg->Busy().CheckMarkShown());
    loop.Advance(900);
    EXPECT_FALSE(dlg->Busy().Flagged());
    EXPECT_FALSE(dlg->Timers().IsRunning(1008));
    EXPECT_EQ(dlg->Configuration(), ConfigurationState::kAnswered);
    loop.Advance(20000);
    EXPECT_FALSE(dlg->Message().Showing()) << "no late time-out";

    dlg->Click(res::kTcpConnectButton);
    Settle();
    EXPECT_TRUE(dlg->TcpConnected()) << "connected at the new address";
}

TEST_F(NetworkConfigTest, OnlyAConfigurationAnswerEndsTheWait) {
    // Configured right after a Search, whose answer's timer is still running:
    // that answer must not count as the switcher's.
    Search();
    ASSERT_TRUE(dlg->Timers().IsRunning(1004));
    dlg->Click(res::kConfigButton);
    model.Faults().answerDiscovery = false;
    ASSERT_TRUE(PressOkCollecting().empty());
    auto stranger = links.MakeUdpSocket();
    ASSERT_TRUE(stranger->Open("127.0.0.8", 0, nullptr));
    std::vector<std::uint8_t> notAnAnswer(76, 0xFF);
    ASSERT_TRUE(
        stranger->SendTo("127.0.0.1", sim::kConfigPort, notAnAnswer.data(), notAnAnswer.size()));
    Settle();
    EXPECT_EQ(links.SentDatagrams().back().toPort, sim::kConfigPort) << "no new Search";

    loop.Advance(14000);
    EXPECT_FALSE(dlg->Message().Showing());
    EXPECT_EQ(dlg->Configuration(), ConfigurationState::kWaiting);
    loop.Advance(1000);
    EXPECT_FALSE(dlg->Busy().Flagged());
    EXPECT_EQ(Message(), "Time out!");
    EXPECT_EQ(dlg->Configuration(), ConfigurationState::kTimedOut);
}

}  // namespace
}  // namespace torvane::test
