// torvanectl upgrade, info and text as a script runs them: a real process
// against torvane-sim over its pseudo-terminal (and TCP, which upgrade refuses).

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
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
    EXPECT_EQ(
        info.out,
        "{\"ok\":true,\"device\":\"Device: HDMI Matrix 8x8     Version:2.9\",\"text\":\"Rack 2" +
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

    RunResult r;
    for (const std::string& bad : {WriteImage("empty.bin", 0), WriteImage("big.bin", 100001)}) {
        r = Ctl(serial, {"upgrade", bad});
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(r.err, "torvanectl: Bad firmware file!\n");
    }
    r = Ctl(serial, {"upgrade", image});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "->Upgrading MCU...\n->MCU upgrade failed\n");
    // Block 0 of three was taken before the abort.
    EXPECT_EQ(r.err, "progress 10%\nprogress 20%\nprogress 30%\ntorvanectl: MCU upgrade failed\n");
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

// The device text is bytes, each the character of its code: shown as that
// character (control characters escaped on a terminal, JSON kept valid),
// written as the byte of each character's code, counted in characters.
struct TextCase {
    std::vector<std::string> args;
    int exitCode;
    std::string out;
    std::string err;  // found in standard error
};

class TorvanectlDeviceText : public ::testing::TestWithParam<TextCase> {};

std::string Repeated(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

const std::string kDeviceLine = "Device: HDMI Matrix 8x8     Version:1.0";

TEST_P(TorvanectlDeviceText, IsLatin1AtTheSwitcherAndUnicodeForTheUser) {
    const TextCase& c = GetParam();
    SimProcess sim;
    ASSERT_TRUE(sim.Start(
        {"--port", "0", "--no-udp", "--reply-delay", "0", "--text", "Caf\xE9 \x1B[2J\x85"}));
    RunResult r = Ctl({"--serial", sim.SerialPath()}, c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
    EXPECT_EQ(r.out, c.out);
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TorvanectlDeviceText,
    ::testing::Values(
        TextCase{{"info"},
                 0,
                 kDeviceLine + "\nCaf\xC3\xA9 \\x1B[2J\\x85" + std::string(22, ' ') + "\n",
                 ""},
        TextCase{{"--json", "info"},
                 0,
                 "{\"ok\":true,\"device\":\"" + kDeviceLine +
                     "\",\"text\":\"Caf\xC3\xA9 \\u001b[2J\xC2\x85" + std::string(22, ' ') +
                     "\"}\n",
                 ""},
        TextCase{{"--trace", "text", "set", "Caf\xC3\xA9"},
                 0,
                 "Set successfully!\nCaf\xC3\xA9" + std::string(28, ' ') + "\n",
                 "> A5 5B FA 21 43 61 66 E9 20 20 20 20"},
        TextCase{{"text", "set", Repeated("\xC3\xA9", 32)},
                 0,
                 "Set successfully!\n" + Repeated("\xC3\xA9", 32) + "\n",
                 ""},
        TextCase{{"text", "set", Repeated("\xC3\xA9", 33)},
                 2,
                 "",
                 "torvanectl: the device text has at most 32 characters\n"},
        TextCase{{"text", "set", "\xCE\xA9 rack"},
                 2,
                 "",
                 "torvanectl: the device text takes Latin-1 characters only (up to U+00FF), not "
                 "\xCE\xA9\n"},
        TextCase{{"text", "set", "Caf\xE9"},
                 2,
                 "",
                 "torvanectl: the device text takes Latin-1 characters only (up to U+00FF), not "
                 "\\xE9\n"}));

// upgrade goes on without the switcher's identity, refuses TCP as a usage
// error, and reports its progress where no terminal shows a bar.
struct UpgradeCase {
    std::vector<std::string> simArgs;
    std::vector<std::string> args;  // before the image; "TCP" stands for --tcp ADDR
    int exitCode;
    std::string out;
    std::string err;
};

class TorvanectlUpgradeRun : public ::testing::TestWithParam<UpgradeCase> {};

TEST_P(TorvanectlUpgradeRun, EndsAsTheCaseSays) {
    const UpgradeCase& c = GetParam();
    SimProcess sim;
    std::vector<std::string> simArgs = {
        "--port", "0", "--no-udp", "--reply-delay", "0", "--ready-delay", "0", "--restart", "0"};
    simArgs.insert(simArgs.end(), c.simArgs.begin(), c.simArgs.end());
    ASSERT_TRUE(sim.Start(simArgs));
    std::vector<std::string> args;
    for (const std::string& a : c.args) {
        if (a == "TCP") {
            args.insert(args.end(), {"--tcp", sim.TcpAddress()});
        } else {
            args.push_back(a);
        }
    }
    if (std::find(args.begin(), args.end(), "--tcp") == args.end())
        args.insert(args.begin(), {"--serial", sim.SerialPath()});
    args.insert(args.end(), {"upgrade", WriteImage("ten.bin", 10 * 1024)});
    RunResult r = RunProgram(BuiltProgram("torvanectl"), args);
    EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.err, c.err);
}

const std::string kUpgradeLog =
    "->Upgrading MCU...\n->System rebooting, please wait...\n->System reboot ok \n"
    "->MCU upgrading complete \n->Firmware upgrade successfully \n";

std::string ProgressLines(bool json) {
    std::string lines;
    for (int p = 10; p <= 100; p += 10)
        lines += json ? "{\"progress\":" + std::to_string(p) + "}\n"
                      : "progress " + std::to_string(p) + "%\n";
    return lines;
}

INSTANTIATE_TEST_SUITE_P(
    Runs, TorvanectlUpgradeRun,
    ::testing::Values(
        UpgradeCase{{},
                    {},
                    0,
                    kUpgradeLog + "Device: HDMI Matrix 8x8     Version:1.1\n",
                    ProgressLines(false)},
        UpgradeCase{{},
                    {"--json"},
                    0,
                    "{\"ok\":true,\"device\":\"Device: HDMI Matrix 8x8     Version:1.1\"}\n",
                    ProgressLines(true)},
        // The size query goes unanswered, before and after the restart.
        UpgradeCase{{"--ignore", "01:02"},
                    {},
                    0,
                    kUpgradeLog,
                    "torvanectl: warning: the switcher did not tell its identity (Time out!); "
                    "upgrading all the same\n" +
                        ProgressLines(false)},
        UpgradeCase{{"--ignore", "01:02"},
                    {"--json"},
                    0,
                    "{\"ok\":true,\"device\":\"\",\"warnings\":[\"the switcher did not tell its "
                    "identity (Time out!); upgrading all the same\"]}\n",
                    ProgressLines(true)},
        UpgradeCase{{}, {"TCP"}, 2, "", "torvanectl: Please use COM Control Mode!\n"}));

}  // namespace
}  // namespace torvane::test
