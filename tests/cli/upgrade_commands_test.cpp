// torvanectl upgrade, info and text as a script runs them: a real process
// against torvane-sim over its pseudo-terminal (and TCP, which upgrade refuses).

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "processes.h"

namespace torvane::test {
namespace {

RunResult Ctl(std::vector<std::string> link, const std::vector<std::string>& rest) {
    link.insert(link.end(), rest.begin(), rest.end());
    return RunProgram(BuiltProgram("torvanectl"), link);
}

std::string WriteImage(const std::string& name, std::size_t size) {
    const auto dir = std::filesystem::path(::testing::TempDir()) /
                     ("torvanectl_upgrade_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto path = dir / name;
    std::vector<char> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i % 253);
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(size));
    return path.string();
}

TEST(TorvanectlUpgrade, UpgradesOverThePseudoTerminalAndShowsTheNewVersion) {
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--port", "0", "--no-udp", "--reply-delay", "0", "--ready-delay", "0",
                           "--restart", "0", "--version", "2.9", "--text", "Rack 2"}));
    const std::vector<std::string> serial = {"--serial", sim.SerialPath()};

    RunResult info = Ctl(serial, {"--json", "info"});
    EXPECT_EQ(info.exitCode, 0) << info.err;
    EXPECT_EQ(info.out,
              "{\"device\":\"Device: HDMI Matrix 8x8     Version:2.9\",\"text\":\"Rack 2" +
                  std::string(26, ' ') + "\"}\n");

    RunResult up = Ctl(serial, {"upgrade", WriteImage("fw.bin", 5000)});
    EXPECT_EQ(up.exitCode, 0) << up.err;
    EXPECT_EQ(up.out,
              "->Upgrading MCU...\n->System rebooting, please wait...\n->System reboot ok \n"
              "->MCU upgrading complete \n->Firmware upgrade successfully \n"
              "Device: HDMI Matrix 8x8     Version:2.10\n");

    info = Ctl(serial, {"info"});
    EXPECT_EQ(info.out,
              "Device: HDMI Matrix 8x8     Version:2.10\nRack 2" + std::string(26, ' ') + "\n");
}

TEST(TorvanectlUpgrade, RefusesBadFilesAndTcpAndFailsOnAnAbort) {
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--port", "0", "--no-udp", "--reply-delay", "0", "--ready-delay", "0",
                           "--fault-block", "1", "--fault-result", "abort"}));
    const std::vector<std::string> serial = {"--serial", sim.SerialPath()};
    const std::string image = WriteImage("abort.bin", 3000);

    RunResult r = Ctl({"--tcp", sim.TcpAddress()}, {"upgrade", image});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "torvanectl: Please use COM Control Mode!\n");
    for (const std::string& bad : {WriteImage("empty.bin", 0), WriteImage("big.bin", 100001)}) {
        r = Ctl(serial, {"upgrade", bad});
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(r.err, "torvanectl: Bad firmware file!\n");
    }
    r = Ctl(serial, {"upgrade", image});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "->Upgrading MCU...\n->MCU upgrade failed\n");
    EXPECT_EQ(r.err, "torvanectl: MCU upgrade failed\n");
}

TEST(TorvanectlUpgrade, TextSetWritesBothHalvesAndReadsThemBack) {
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--port", "0", "--no-udp", "--reply-delay", "0"}));
    const std::vector<std::string> serial = {"--serial", sim.SerialPath()};
    RunResult r = Ctl(serial, {"text", "set", "Hall 2, main switcher, left rack"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Set successfully!\nHall 2, main switcher, left rack\n");
    r = Ctl({"--tcp", sim.TcpAddress()}, {"info"});
    EXPECT_EQ(r.out, "Device: HDMI Matrix 8x8     Version:1.0\nHall 2, main switcher, left rack\n");
    r = Ctl(serial, {"text", "set", std::string(33, 'x')});
    EXPECT_EQ(r.exitCode, 2);
}

}  // namespace
}  // namespace torvane::test
