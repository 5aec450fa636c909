// torvanectl edid as a script runs it: a real process against torvane-sim over
// the simulator's TCP port and pseudo-terminal.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "processes.h"

namespace torvane::test {
namespace {

RunResult Ctl(const std::vector<std::string>& args) {
    return RunProgram(BuiltProgram("torvanectl"), args);
}

std::string WriteEdid(const std::string& name, bool valid) {
    std::vector<char> b(128, 0);
    const char header[8] = {0, -1, -1, -1, -1, -1, -1, 0};
    std::copy(header, header + 8, b.begin());
    unsigned sum = 0;
    for (int i = 0; i < 127; ++i) sum += static_cast<unsigned char>(b[i]);
    b[127] = static_cast<char>(256 - sum % 256 + (valid ? 0 : 1));
    const auto dir = std::filesystem::path(::testing::TempDir()) /
                     ("torvanectl_edid_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto path = dir / name;
    std::ofstream(path, std::ios::binary).write(b.data(), static_cast<std::streamsize>(b.size()));
    return path.string();
}

TEST(TorvanectlEdid, ListPresetCopyAndFileOverBothLinks) {
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--edid", "00,0E,0F,16,17,03,10,01"}));
    const std::vector<std::string> tcp = {"--tcp", sim.TcpAddress()};
    const std::vector<std::string> serial = {"--serial", sim.SerialPath()};
    auto with = [](std::vector<std::string> link, std::vector<std::string> rest) {
        link.insert(link.end(), rest.begin(), rest.end());
        return link;
    };

    auto list = Ctl(with(tcp, {"--json", "edid", "list"}));
    EXPECT_EQ(list.exitCode, 0) << list.err;
    EXPECT_EQ(list.out,
              R"({"inputs":{"1":"1080p,Stereo Audio 2.0","2":"4K2K60,HD Audio 7.1",)"
              R"("3":"COPY TX A","4":"COPY TX H","5":"Default EDID","6":"1080i,Stereo Audio 2.0",)"
              R"("7":"COPY TX B","8":"1080p,Dolby/DTS 5.1"}})"
              "\n");

    auto preset = Ctl(with(serial, {"edid", "preset", "15", "2"}));
    EXPECT_EQ(preset.exitCode, 0) << preset.err;
    EXPECT_EQ(preset.out, "Set successfully!\n");
    auto copy = Ctl(with(tcp, {"--json", "edid", "copy", "b", "all"}));
    EXPECT_EQ(copy.out, "{\"ok\":true}\n") << copy.err;
    auto refused = Ctl(with(serial, {"edid", "copy", "C", "1"}));
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err, "torvanectl: Can't find the valid data!\n");
    auto file = Ctl(with(serial, {"edid", "file", WriteEdid("good.bin", true), "3"}));
    EXPECT_EQ(file.exitCode, 0) << file.err;

    auto after = Ctl(with(serial, {"edid", "list"}));
    EXPECT_EQ(after.exitCode, 0) << after.err;
    // The file's EDID (code 17) shows as what IN3 showed before.
    EXPECT_EQ(after.out,
              "IN1: COPY TX B\nIN2: COPY TX B\nIN3: Default EDID\nIN4: COPY TX B\n"
              "IN5: COPY TX B\nIN6: COPY TX B\nIN7: COPY TX B\nIN8: COPY TX B\n");
}

TEST(TorvanectlEdid, BadFilesAndBadArgumentsAreUsageErrorsAndSendNothing) {
    // Nothing listens on port 1: reaching the link would fail with status 3.
    const std::vector<std::string> link = {"--tcp", "127.0.0.1:1", "--trace"};
    auto run = [&](std::vector<std::string> rest) {
        rest.insert(rest.begin(), link.begin(), link.end());
        return Ctl(rest);
    };
    auto bad = run({"edid", "file", WriteEdid("bad.bin", false), "all"});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_EQ(bad.err, "torvanectl: Bad EDID file!\n");
    auto missing = run({"edid", "file", "/nonexistent/edid.bin", "1"});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_EQ(missing.err, "torvanectl: /nonexistent/edid.bin: No such file or directory\n");
    for (std::vector<std::string> args :
         std::vector<std::vector<std::string>>{{"edid"},
                                               {"edid", "preset", "0", "1"},
                                               {"edid", "preset", "16", "1"},
                                               {"edid", "preset", "1", "9"},
                                               {"edid", "copy", "I", "all"},
                                               {"edid", "list", "1"},
                                               {"edid", "erase", "1", "1"}}) {
        auto r = run(args);
        EXPECT_EQ(r.exitCode, 2) << args.back() << ": " << r.err;
    }
}

}  // namespace
}  // namespace torvane::test
