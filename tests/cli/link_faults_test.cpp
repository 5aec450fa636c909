// torvanectl when the link misbehaves: replies in single bytes or glued
// together over TCP, the peer gone in the middle of a command, and a second
// torvanectl reaching for a serial port the first one holds.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "processes.h"

namespace torvane::test {
namespace {

const char* const kStatusJson =
    R"({"ok":true,"power":"on","beep":"on","inputs":{"1":"connected","2":"connected","3":"connected",)"
    R"("4":"disconnected","5":"disconnected","6":"disconnected","7":"disconnected","8":"disconnected"},)"
    R"("outputs":{"A":"connected","B":"connected","C":"disconnected","D":"disconnected",)"
    R"("E":"disconnected","F":"disconnected","G":"disconnected","H":"disconnected"}})"
    "\n";

// Units sent, from a --trace.
std::vector<std::string> Sent(const std::string& trace) {
    std::vector<std::string> sent;
    std::istringstream lines(trace);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("> ", 0) == 0) sent.push_back(line.substr(2));
    return sent;
}

TEST(TorvanectlLinkFaults, RepliesInSingleBytesOrGluedTogetherOverTcp) {
    const std::vector<std::string> shapes[] = {
        {"--tcp-bytewise", "--tcp-split-gap", "2"},
        // The answer to the first status query is held until its resend is
        // answered: both replies come in one read.
        {"--tcp-glue", "--faults-after", "2", "--faults-for", "1"}};
    for (const auto& shape : shapes) {
        SCOPED_TRACE(shape[0]);
        SimProcess sim;
        ASSERT_TRUE(sim.Start(LoopbackSimArgs(shape))) << sim.Output();
        auto r = Ctl({"--tcp", sim.TcpAddress(), "--json", "--trace", "status"});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, kStatusJson);
        // Nothing is sent more than twice (once and its one resend).
        const auto sent = Sent(r.err);
        for (const auto& unit : sent)
            EXPECT_LE(std::count(sent.begin(), sent.end(), unit), 2) << unit;
    }
}

TEST(TorvanectlLinkFaults, TcpPeerGoneDuringEdidListThenAFreshConnectionWorks) {
    SimProcess sim;
    // Connecting sends two queries; the EDID page's fourth read meets a closed peer.
    ASSERT_TRUE(sim.Start(LoopbackSimArgs({"--faults-after", "5", "--hang-up"}))) << sim.Output();
    auto cut = Ctl({"--tcp", sim.TcpAddress(), "--json", "edid", "list"});
    EXPECT_EQ(cut.exitCode, 3) << cut.err;
    EXPECT_EQ(cut.out, "{\"ok\":false,\"error\":\"Connection to Matrix lost!\"}\n");
    auto again = Ctl({"--tcp", sim.TcpAddress(), "--json", "status"});
    EXPECT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(again.out, kStatusJson);
}

TEST(TorvanectlLinkFaults, LineCutOrPeerGoneDuringTheMatrixStatusChain) {
    const std::string link =
        ::testing::TempDir() + "torvane_matrix_link_" + std::to_string(::getpid());
    for (const bool serial : {true, false}) {
        SCOPED_TRACE(serial ? "serial" : "tcp");
        SimProcess sim;
        // Connecting sends two queries; the chain's fifth route query meets the cut.
        ASSERT_TRUE(
            sim.Start(LoopbackSimArgs({"--link", link, "--faults-after", "6", "--hang-up"})))
            << sim.Output();
        const std::vector<std::string> via =
            serial ? std::vector<std::string>{"--serial", link}
                   : std::vector<std::string>{"--tcp", sim.TcpAddress()};
        auto with = [&](std::vector<std::string> rest) {
            rest.insert(rest.begin(), via.begin(), via.end());
            return rest;
        };
        auto cut = Ctl(with({"--trace", "matrix"}));
        EXPECT_EQ(cut.exitCode, 3);
        const char* lost = serial ? "torvanectl: Serial port failed!\n"
                                  : "torvanectl: Connection to Matrix lost!\n";
        EXPECT_NE(cut.err.find(lost), std::string::npos) << cut.err;
        const auto sent = Sent(cut.err);
        ASSERT_GE(sent.size(), 2u);
        EXPECT_EQ(sent.back(), "A5 5B 02 01 05 00 00 00 00 00 00 00 F8") << "nothing after the cut";
        EXPECT_LE(std::count(sent.begin(), sent.end(), sent.back()), 2) << "at most one resend";

        auto again = Ctl(with({"--json", "matrix"}));
        EXPECT_EQ(again.exitCode, 0) << again.err;
    }
    ::unlink(link.c_str());
}

TEST(TorvanectlLinkFaults, SerialLineCutDuringAFirmwareTransferThenTheNewLineWorks) {
    const std::string dir = ::testing::TempDir();
    const std::string link = dir + "torvane_cut_link_" + std::to_string(::getpid());
    const std::string image = dir + "torvane_cut_fw_" + std::to_string(::getpid()) + ".bin";
    std::ofstream(image, std::ios::binary) << std::string(30000, '\x5A');
    SimProcess sim;
    // Connecting, the page's reads and the upgrade request come first; the
    // twelfth unit, one of the first firmware blocks, cuts the line.
    ASSERT_TRUE(
        sim.Start(LoopbackSimArgs({"--reply-delay", "0", "--ready-delay", "0", "--restart", "0",
                                   "--link", link, "--faults-after", "11", "--hang-up"})))
        << sim.Output();
    auto cut = Ctl({"--serial", link, "--trace", "upgrade", image});
    EXPECT_EQ(cut.exitCode, 3);
    EXPECT_EQ(cut.out, "->Upgrading MCU...\n");
    EXPECT_NE(cut.err.find("torvanectl: Serial port failed!\n"), std::string::npos) << cut.err;
    // The command ends when the line does: no block goes out twice, none
    // after the cut.
    const auto sent = Sent(cut.err);
    std::vector<std::string> blocks;
    for (const auto& unit : sent)
        if (unit.rfind("FE EF", 0) == 0) blocks.push_back(unit.substr(0, 11));
    ASSERT_GE(blocks.size(), 1u);
    EXPECT_EQ(sent.back().substr(0, 5), "FE EF");
    for (std::size_t i = 0; i + 1 < blocks.size(); ++i) EXPECT_NE(blocks[i], blocks[i + 1]);

    auto info = Ctl({"--serial", link, "info"});
    EXPECT_EQ(info.exitCode, 0) << info.err;
    EXPECT_EQ(info.out.rfind("Device: HDMI Matrix 8x8     Version:1.0\n", 0), 0u) << info.out;
    ::unlink(image.c_str());
}

// Whether some program holds the lock on `path` that torvanectl takes.
bool PortHeld(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno == EBUSY;
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    return held;
}

TEST(TorvanectlLinkFaults, ASecondTorvanectlOnAHeldSerialPort) {
    SimProcess sim;
    // Slow replies keep the first torvanectl on the port for a while.
    ASSERT_TRUE(sim.Start(LoopbackSimArgs({"--reply-delay", "300"}))) << sim.Output();
    const std::string port = sim.SerialPath();
    RunResult first;
    std::thread holder([&] { first = Ctl({"--serial", port, "edid", "list"}); });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!PortHeld(port) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));

    auto second = Ctl({"--serial", port, "--json", "status"});
    holder.join();
    EXPECT_EQ(second.exitCode, 3);
    EXPECT_EQ(second.out, "{\"ok\":false,\"error\":\"Open COM failed! (cannot open " + port +
                              ": in use by another program)\"}\n");
    EXPECT_EQ(first.exitCode, 0) << first.err;
    EXPECT_EQ(first.out.rfind("IN1: 1080p,Stereo Audio 2.0\n", 0), 0u) << first.out;
}

}  // namespace
}  // namespace torvane::test
