// torvanectl discover and netconfig as processes against three torvane-sim
// processes on loopback.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "network/three_sims.h"
#include "processes.h"

namespace torvane::test {
namespace {

class NetworkCommands : public ThreeSims {
  protected:
    RunResult Ctl(const std::string& command, std::vector<std::string> args, bool json = false) {
        const DiscoverySettings net = Loopback();
        std::vector<std::string> all;
        if (json) all.push_back("--json");
        all.insert(all.end(), {command, "--bind", net.bindIp, "--broadcast", net.broadcastIp,
                               "--discovery-port", std::to_string(net.discoveryPort),
                               "--config-port", std::to_string(net.configPort), "--wait", "500"});
        all.insert(all.end(), args.begin(), args.end());
        return RunProgram(BuiltProgram("torvanectl"), all);
    }
};

TEST_F(NetworkCommands, DiscoverListsTheSwitchersInTheListsOrder) {
    const auto r = Ctl("discover", {}, true);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(
        r.out,
        R"({"ok":true,"switchers":[)"
        R"({"ip":"127.0.0.2","mac":"02-00-00-00-00-02","gateway":"127.0.0.1","netmask":"255.0.0.0"},)"
        R"({"ip":"127.0.0.3","mac":"02-00-00-00-00-03","gateway":"127.0.0.1","netmask":"255.0.0.0"},)"
        R"({"ip":"127.0.0.4","mac":"02-00-00-00-00-04","gateway":"127.0.0.1","netmask":"255.0.0.0"}]})"
        "\n");
}

TEST_F(NetworkCommands, NetconfigMovesASwitcherAndTheNextDiscoverFindsIt) {
    const auto r =
        Ctl("netconfig", {"--mac", "02:00:00:00:00:02", "--ip", "127.0.0.22", "--netmask",
                          "255.0.0.0", "--gateway", "127.0.0.1", "--new-mac", "02-00-00-00-00-22"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.rfind("Configure successfully!\n", 0), 0u) << r.out;
    const auto after = Ctl("discover", {});
    EXPECT_EQ(after.out,
              "127.0.0.22\t02-00-00-00-00-22\tgateway 127.0.0.1\tnetmask 255.0.0.0\n"
              "127.0.0.3\t02-00-00-00-00-03\tgateway 127.0.0.1\tnetmask 255.0.0.0\n"
              "127.0.0.4\t02-00-00-00-00-04\tgateway 127.0.0.1\tnetmask 255.0.0.0\n");
}

TEST_F(NetworkCommands, NetconfigFailures) {
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string err;
    };
    const Case cases[] = {
        {{"--mac", "02-00-00-00-00-09", "--auto"},
         1,
         "torvanectl: no switcher with MAC 02-00-00-00-00-09\n"},
        {{"--mac", "02-00-00-00-00-03", "--ip", "127.0.0.256", "--netmask", "255.0.0", "--gateway",
          "127.0.0.1", "--new-mac", "02-00-00-00-00-0G"},
         2,
         "torvanectl: IP Error! Netmask Error! Mac Error!\n"},
        {{"--mac", "02-00-00-00-00-03", "--ip", "127.0.0.x", "--netmask", "255.0.0.0", "--gateway",
          "127.0.0.1"},
         2,
         "torvanectl: IP Error!\n"},
        {{"--mac", "02-00-00-00-00-03"},
         2,
         "torvanectl: netconfig needs --auto or --ip, --netmask and --gateway\n"},
        {{"--auto"}, 2, "torvanectl: netconfig needs --mac MAC\n"},
        {{"--mac", "02-00-00", "--auto"}, 2, "torvanectl: bad --mac: 02-00-00\n"},
    };
    for (const auto& c : cases) {
        const auto r = Ctl("netconfig", c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args[0] << " " << c.args[1];
        EXPECT_EQ(r.err, c.err);
    }
    EXPECT_NE(Ctl("discover", {}).out.find("\n127.0.0.3\t02-00-00-00-00-03\t"), std::string::npos)
        << "nothing was sent";
    EXPECT_EQ(
        RunProgram(BuiltProgram("torvanectl"), {"discover", "--discovery-port", "0"}).exitCode, 2);
}

TEST(NetworkCommandsSocket, ASocketThatCannotBeBoundIsALinkFailureWithTheSystemsReason) {
    // A port held by a socket that does not share it.
    const int held = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(held, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    socklen_t length = sizeof address;
    ::getsockname(held, reinterpret_cast<sockaddr*>(&address), &length);
    const std::string port = std::to_string(ntohs(address.sin_port));
    const struct {
        std::vector<std::string> args;
        std::string error;
    } cases[] = {
        {{"discover", "--bind", "127.0.0.1", "--discovery-port", port},
         "cannot bind 127.0.0.1:" + port + ": Address already in use"},
        {{"netconfig", "--bind", "127.0.0.1", "--discovery-port", port, "--mac",
          "02-00-00-00-00-02", "--auto"},
         "cannot bind 127.0.0.1:" + port + ": Address already in use"},
        // An address this machine does not have (no datagram is sent).
        {{"discover", "--bind", "192.0.2.1", "--discovery-port", port},
         "cannot bind 192.0.2.1:" + port + ": Cannot assign requested address"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args[2]);
        std::vector<std::string> args = {"--json"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const auto r = RunProgram(BuiltProgram("torvanectl"), args);
        EXPECT_EQ(r.exitCode, 3);
        EXPECT_EQ(r.out, R"({"ok":false,"error":")" + c.error + "\"}\n");
    }
    ::close(held);
}

}  // namespace
}  // namespace torvane::test
