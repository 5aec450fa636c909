#pragma once
// Three torvane-sim processes as three switchers on one loopback network:
// 127.0.0.2, 127.0.0.3 and 127.0.0.4 with MACs 02-00-00-00-00-02 to -04,
// sharing discovery and configuration ports the first one picked, so tests
// may run side by side. The program binds 127.0.0.1 and broadcasts to
// 127.255.255.255; nothing leaves loopback.

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "network/discovery_settings.h"
#include "support/sim_process.h"

namespace torvane::test {

class ThreeSims : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string discovery = "0", config = "0";
        for (int i = 0; i < 3; ++i) {
            const std::string n = std::to_string(i + 2);
            ASSERT_TRUE(
                sims[i].Start({"--ip", "127.0.0." + n, "--port", "0", "--discovery-port", discovery,
                               "--config-port", config, "--mac", "02-00-00-00-00-0" + n}))
                << sims[i].Output();
            discovery = std::to_string(sims[0].UdpPort(true));
            config = std::to_string(sims[0].UdpPort(false));
        }
    }
    DiscoverySettings Loopback() const {
        return {"127.0.0.1", "127.255.255.255", sims[0].UdpPort(true), sims[0].UdpPort(false)};
    }

    std::array<sim::test::SimProcess, 3> sims;
};

}  // namespace torvane::test
