// torvane-sim as a program: driven over its real pseudo-terminal and real
// loopback TCP and UDP.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>

#include "sim_rig.h"
#include "support/sim_process.h"

namespace torvane::sim::test {
namespace {

// Ports picked by the program, so tests may run side by side.
const std::vector<std::string> kFreePorts = {"--port",        "0", "--discovery-port", "0",
                                             "--config-port", "0"};

std::vector<std::string> With(std::vector<std::string> args) {
    args.insert(args.end(), kFreePorts.begin(), kFreePorts.end());
    return args;
}

std::string Joined(const std::vector<Bytes>& reads) {
    Bytes all;
    for (const auto& r : reads) all.insert(all.end(), r.begin(), r.end());
    return ToHex(all);
}

TEST(TorvaneSim, AnswersThePowerQueryOverTcpAndOverItsPseudoTerminalLink) {
    const std::string link = ::testing::TempDir() + "torvane-sim-link";
    SimProcess sim;
    ASSERT_TRUE(sim.Start(With({"--link", link}))) << sim.Output();
    EXPECT_EQ(Joined(TcpExchange("127.0.0.1", sim.TcpPort(), Hex(kPowerQuery), 13)), kPowerOn);
    EXPECT_EQ(ToHex(PtyExchange(link, Hex(kPowerQuery), 13)), kPowerOn);
    EXPECT_EQ(ToHex(PtyExchange(sim.Said("serial"), Hex(kPowerQuery), 13)), kPowerOn) << "reopened";

    EXPECT_EQ(sim.Stop(), 0);
    struct stat st {};
    EXPECT_NE(::lstat(link.c_str(), &st), 0) << "its link is removed";
}

TEST(TorvaneSim, FaultSwitchesFromTheCommandLineReachTheWire) {
    SimProcess sim;
    ASSERT_TRUE(sim.Start(With({"--tcp-split", "5", "--garbage", "00 11", "--power-off"})))
        << sim.Output();
    const auto reads = TcpExchange("127.0.0.1", sim.TcpPort(), Hex(kPowerQuery), 15);
    ASSERT_EQ(reads.size(), 2u) << "split across two reads";
    EXPECT_EQ(ToHex(reads[0]), "00 11 A5 5B 08");
    EXPECT_EQ(Joined(reads), "00 11 " + CommandHex("08 0C F0"));
}

TEST(TorvaneSim, ThreeInstancesAreThreeSwitchersToOneDiscovery) {
    SimProcess first, second, third;
    ASSERT_TRUE(first.Start({"--ip", "127.0.0.2", "--port", "0", "--discovery-port", "0",
                             "--config-port", "0", "--mac", "02-00-00-00-00-02"}))
        << first.Output();
    const std::string shared = std::to_string(first.UdpPort(true));
    ASSERT_TRUE(second.Start({"--ip", "127.0.0.3", "--port", "0", "--discovery-port", shared,
                              "--config-port", "0", "--mac", "02-00-00-00-00-03"}))
        << second.Output();
    ASSERT_TRUE(third.Start({"--ip", "127.0.0.4", "--port", "0", "--discovery-port", shared,
                             "--config-port", "0", "--mac", "02-00-00-00-00-04"}))
        << third.Output();

    auto answers = UdpExchange("127.255.255.255", first.UdpPort(true), {0x61}, 3);
    ASSERT_EQ(answers.size(), 3u);
    std::sort(answers.begin(), answers.end(), [](auto& a, auto& b) { return a.from < b.from; });
    for (int i = 0; i < 3; ++i) {
        const auto n = static_cast<std::uint8_t>(2 + i);
        EXPECT_EQ(answers[i].from, "127.0.0." + std::to_string(n))
            << "answered from its own address";
        ASSERT_GE(answers[i].bytes.size(), 50u);
        EXPECT_EQ(ToHex(Bytes(answers[i].bytes.begin(), answers[i].bytes.begin() + 20)),
                  ToHex(Bytes{0x02, 0, 0, 0, 0,   n, 127, 0, 0,    n,
                              127,  0, 0, 1, 255, 0, 0,   0, 0x77, 0x88}));
        const SimProcess& sim = i == 0 ? first : i == 1 ? second : third;
        EXPECT_EQ(answers[i].bytes[21] << 8 | answers[i].bytes[22], sim.TcpPort())
            << "its control port";
    }
    EXPECT_TRUE(UdpExchange("127.255.255.255", first.UdpPort(true), {0x62}, 1, 300).empty())
        << "only the discovery request is answered";
}

TEST(TorvaneSim, ANetworkConfigurationMovesTheSwitcherToItsNewAddress) {
    SimProcess sim;
    ASSERT_TRUE(sim.Start(With({"--ip", "127.0.0.5"}))) << sim.Output();
    Bytes packet(76, 0x00);
    const Bytes mac{0x02, 0x54, 0x56, 0x00, 0x00, 0x01};
    std::copy(mac.begin(), mac.end(), packet.begin());
    const Bytes addresses{127, 0, 0, 6, 127, 0, 0, 1, 255, 0, 0, 0};
    std::copy(addresses.begin(), addresses.end(), packet.begin() + 6);
    std::copy(mac.begin(), mac.end(), packet.begin() + 19);
    packet[25] = 0x17;
    packet[74] = 0xFF;
    unsigned sum = 0;
    for (int i = 0; i < 75; ++i) sum += packet[i];
    packet[75] = static_cast<std::uint8_t>(sum);

    const auto answers = UdpExchange("127.255.255.255", sim.UdpPort(false), packet, 1);
    ASSERT_EQ(answers.size(), 1u);
    ASSERT_GE(answers[0].bytes.size(), 76u);
    EXPECT_EQ(answers[0].bytes[74], 0x00);

    const auto found = UdpExchange("127.255.255.255", sim.UdpPort(true), {0x61}, 1);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(ToHex(Bytes(found[0].bytes.begin() + 6, found[0].bytes.begin() + 10)), "7F 00 00 06");
    EXPECT_EQ(Joined(TcpExchange("127.0.0.6", sim.TcpPort(), Hex(kPowerQuery), 13)), kPowerOn);
}

TEST(TorvaneSim, HelpDocumentsTheOptionsAndUsageErrorsSaySo) {
    std::string help;
    EXPECT_EQ(RunSim("--help", &help), 0);
    for (const char* option :
         {"--ip", "--port", "--link", "--silent", "--drop", "--bad-checksum", "--tcp-glue",
          "--fault-block", "--no-restart-answer", "--restart", "--ready-delay", "--front-panel",
          "vanish SECONDS", "route INPUT OUTPUT"})
        EXPECT_NE(help.find(option), std::string::npos) << option;

    for (const char* bad : {"--frobnicate", "--ip 10.0.0.1", "--port 70000", "--drop"}) {
        std::string said;
        EXPECT_EQ(RunSim(bad, &said), 2) << bad;
        EXPECT_NE(said.find("torvane-sim:"), std::string::npos) << said;
    }
}

}  // namespace
}  // namespace torvane::sim::test
