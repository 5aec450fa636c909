// torvanectl discover and netconfig as processes against three torvane-sim
// processes on loopback.

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
        R"({"switchers":[)"
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

}  // namespace
}  // namespace torvane::test
