// torvanectl edid as a script runs it: a real process against torvane-sim over
// the simulator's TCP port and pseudo-terminal.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "processes.h"

namespace torvane::test {
namespace {

std::string EdidBytes(bool valid, char extensions = 0) {
    std::string b(128, 0);
    const char header[8] = {0, -1, -1, -1, -1, -1, -1, 0};
    std::copy(header, header + 8, b.begin());
    b[126] = extensions;
    unsigned sum = 0;
    for (int i = 0; i < 127; ++i) sum += static_cast<unsigned char>(b[i]);
    b[127] = static_cast<char>(256 - sum % 256 + (valid ? 0 : 1));
    return b;
}

std::string EdidFile(const std::string& name, const std::string& bytes) {
    const auto dir = std::filesystem::path(::testing::TempDir()) /
                     ("torvanectl_edid_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto path = dir / name;
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path.string();
}

std::string WriteEdid(const std::string& name, bool valid) {
    return EdidFile(name, EdidBytes(valid));
}

TEST(TorvanectlEdid, ListPresetCopyAndFileOverBothLinks) {
    SimProcess sim;
    ASSERT_TRUE(sim.Start(LoopbackSimArgs({"--edid", "00,0E,0F,16,17,03,10,01"}))) << sim.Output();
    const std::vector<std::string> tcp = {"--tcp", sim.TcpAddress()};
    const std::vector<std::string> serial = {"--serial", sim.SerialPath()};
    auto with = [](std::vector<std::string> link, std::vector<std::string> rest) {
        link.insert(link.end(), rest.begin(), rest.end());
        return link;
    };

    auto list = Ctl(with(tcp, {"--json", "edid", "list"}));
    EXPECT_EQ(list.exitCode, 0) << list.err;
    EXPECT_EQ(list.out,
              R"({"ok":true,"inputs":{"1":"1080p,Stereo Audio 2.0","2":"4K2K60,HD Audio 7.1",)"
              R"j("3":"COPY TX A","4":"COPY TX H","5":"Other EDID (17)",)j"
              R"("6":"1080i,Stereo Audio 2.0","7":"COPY TX B","8":"1080p,Dolby/DTS 5.1"},)"
              R"("codes":{"1":0,"2":14,"3":15,"4":22,"5":23,"6":3,"7":16,"8":1}})"
              "\n");

    auto preset = Ctl(with(serial, {"edid", "preset", "15", "2"}));
    EXPECT_EQ(preset.exitCode, 0) << preset.err;
    EXPECT_EQ(preset.out, "Set successfully!\n");
    auto preset3 = Ctl(with(tcp, {"--json", "edid", "preset", "03", "4"}));
    EXPECT_EQ(preset3.out, R"({"ok":true,"inputs":{"4":"1080p,HD Audio 7.1"},"codes":{"4":2}})"
                           "\n")
        << preset3.err;
    auto copy = Ctl(with(tcp, {"--json", "edid", "copy", "b", "ALL"}));
    EXPECT_EQ(copy.out.rfind(R"({"ok":true,"inputs":{"1":"COPY TX B","2":"COPY TX B",)", 0), 0u)
        << copy.out << copy.err;
    EXPECT_NE(copy.out.find(R"("codes":{"1":16,"2":16,)"), std::string::npos) << copy.out;
    auto refused = Ctl(with(serial, {"edid", "copy", "C", "1"}));
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err, "torvanectl: Can't find the valid data!\n");
    auto file = Ctl(with(serial, {"edid", "file", WriteEdid("good.bin", true), "3"}));
    EXPECT_EQ(file.exitCode, 0) << file.err;

    auto after = Ctl(with(serial, {"edid", "list"}));
    EXPECT_EQ(after.exitCode, 0) << after.err;
    // The file's EDID (code 17) is named by its code.
    EXPECT_EQ(after.out,
              "IN1: COPY TX B\nIN2: COPY TX B\nIN3: Other EDID (17)\nIN4: COPY TX B\n"
              "IN5: COPY TX B\nIN6: COPY TX B\nIN7: COPY TX B\nIN8: COPY TX B\n");
}

TEST(TorvanectlEdid, BadFilesAndBadArgumentsAreUsageErrorsAndSendNothing) {
    // Nothing listens on port 1: reaching the link would fail with status 3.
    const std::vector<std::string> link = {"--tcp", "127.0.0.1:1", "--trace"};
    auto run = [&](std::vector<std::string> rest) {
        rest.insert(rest.begin(), link.begin(), link.end());
        return Ctl(rest);
    };
    const std::string badPath = WriteEdid("bad.bin", false);
    auto bad = run({"edid", "file", badPath, "all"});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_EQ(bad.err, "torvanectl: Bad EDID file!\n" + badPath +
                           ": the checksum of block 0 is wrong: byte 127 is 07, expected 06\n");
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

TEST(TorvanectlEdid, AFileFromStandardInputOrWithAMissingExtensionIsWritten) {
    SimProcess sim;
    ASSERT_TRUE(sim.Start(LoopbackSimArgs()));
    const std::vector<std::string> link = {"--tcp", sim.TcpAddress()};
    auto run = [&](std::vector<std::string> rest, const StandardInput* input = nullptr) {
        rest.insert(rest.begin(), link.begin(), link.end());
        return Ctl(rest, input);
    };
    const StandardInput good{EdidBytes(true), false};
    auto piped = run({"edid", "file", "-", "2"}, &good);
    EXPECT_EQ(piped.exitCode, 0) << piped.err;
    EXPECT_EQ(piped.out, "Set successfully!\n");

    const std::string warning =
        "the base block announces an extension block the file does not hold: the switcher "
        "will present an empty extension block";
    const std::string lost = EdidFile("lost_extension.bin", EdidBytes(true, 1));
    auto taken = run({"--json", "edid", "file", lost, "5"});
    EXPECT_EQ(taken.exitCode, 0) << taken.err;
    EXPECT_EQ(taken.err, "torvanectl: warning: " + lost + ": " + warning + "\n");
    EXPECT_EQ(taken.out, R"j({"ok":true,"inputs":{"5":"Other EDID (17)"},"codes":{"5":23},)j"
                         R"("warnings":[")" +
                             lost + ": " + warning + "\"]}\n");

    // A file named like an option, after "--".
    const std::string dashed = EdidFile("-e.bin", EdidBytes(true));
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(std::filesystem::path(dashed).parent_path());
    auto literal = run({"edid", "file", "--", "-e.bin", "1"});
    std::filesystem::current_path(cwd);
    EXPECT_EQ(literal.exitCode, 0) << literal.err;
}

TEST(TorvanectlEdid, StandardInputIsJudgedLikeAFileAndNeverHoldsTheCommand) {
    // Nothing listens on port 1: a file taken would end in status 3.
    const std::vector<std::string> args = {"--tcp", "127.0.0.1:1", "edid", "file", "-", "1"};
    const struct {
        const char* name;
        StandardInput input;
        int exitCode;
        std::string err;
    } cases[] = {
        {"good", {EdidBytes(true), false}, 3, "torvanectl: Connect to Matrix failed!"},
        {"bad checksum",
         {EdidBytes(false), false},
         2,
         "torvanectl: Bad EDID file!\nstandard input: the checksum of block 0"},
        {"too long", {std::string(40000, 'x'), false}, 2, "torvanectl: Bad EDID file!\n"},
        {"never ended",
         {EdidBytes(true), true},
         2,
         "torvanectl: standard input: did not end within 5 s"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto r = Ctl(args, &c.input);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
        EXPECT_EQ(r.err.rfind(c.err, 0), 0u) << r.err;
    }
}

TEST(TorvanectlEdid, CheckTellsWhatTheFileSaysWithoutALink) {
    const std::string dell = std::string(TORVANE_SOURCE_DIR) + "/tests/data/edid/dell_u2415.bin";
    auto text = Ctl({"--serial", "/dev/torvane-no-such-port", "edid", "check", dell});
    EXPECT_EQ(text.exitCode, 0) << text.err;
    EXPECT_EQ(text.out,
              "Manufacturer: DEL\nProduct code: 41140\nSerial number: 1279930929\n"
              "Made: week 12 of 2015\nEDID version: 1.4\nMonitor name: DELL U2415\n"
              "Preferred mode: 1920x1200 at 59.95 Hz (154.00 MHz)\n"
              "Extension blocks: 1 (CTA-861)\nVerdict: accepted\n");
    const std::string hp =
        std::string(TORVANE_SOURCE_DIR) + "/tests/data/edid/hp_two_extensions.bin";
    auto refused = Ctl({"--json", "edid", "check", hp});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_EQ(refused.out.rfind(R"({"ok":false,"error":"Bad EDID file!\n)" + hp +
                                    R"(: 384 bytes; an EDID file has 128 or 256 bytes",)"
                                    R"("manufacturer":"HWP","product_code":13060,)",
                                0),
              0u)
        << refused.out;
    EXPECT_NE(refused.out.find(R"("extensions":["CTA-861","DisplayID"],"accepted":false})"),
              std::string::npos)
        << refused.out;
}

}  // namespace
}  // namespace torvane::test
