// Every way in from the command line, given wrong, missing and very long
// values: torvanectl and torvane-sim must say what is wrong and end with
// status 2, never crash, hang or go on to open a link.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sstream>

#include "processes.h"

namespace torvane::test {
namespace {

// Longer than any path or host name the system takes.
const std::string kLong = std::string(5000, '7') + "z";
constexpr int kQuickMs = 10000;  // usage errors end at once

std::string Show(const std::vector<std::string>& args) {
    std::string text;
    for (const auto& a : args) text += (text.empty() ? "" : " ") + a.substr(0, 40);
    return text;
}

void ExpectUsageError(const std::string& program, const std::vector<std::string>& args,
                      const std::string& prefix) {
    const RunResult r = RunProgram(BuiltProgram(program), args, kQuickMs);
    EXPECT_EQ(r.exitCode, 2) << program << " " << Show(args) << "\n" << r.out << r.err;
    EXPECT_EQ(r.err.rfind(prefix, 0), 0u) << program << " " << Show(args) << ": " << r.err;
}

TEST(BadInput, TorvanectlRefusesEveryBadArgument) {
    const std::string mac = "02-54-56-00-00-01";
    const std::string fifo = ::testing::TempDir() + "torvane_fifo_" + std::to_string(::getpid());
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::vector<std::vector<std::string>> cases = {
        // Options.
        {},
        {"--serial"},
        {"--tcp"},
        {"--json", "--tcp"},
        {"--bogus", "status"},
        {"-x"},
        {"--tcp", "127.0.0.1:0", "status"},
        {"--tcp", "127.0.0.1:65536", "status"},
        {"--tcp", "127.0.0.1:-1", "status"},
        {"--tcp", "127.0.0.1:8000x", "status"},
        {"--tcp", ":8000", "status"},
        {"--tcp", "127.0.0.1:", "status"},
        {"--tcp", "", "status"},
        {"--tcp", kLong, "status"},
        {"--tcp", kLong + ":8000", "status"},
        {"--tcp", "127.0.0.1:" + kLong, "status"},
        {"--serial", "/dev/x", "--tcp", "127.0.0.1", "status"},
        // Commands.
        {""},
        {"bogus"},
        {kLong},
        {"ports", "x"},
        {"status", "x"},
        {"reboot", "now"},
        {"power"},
        {"power", "maybe"},
        {"power", "on", "off"},
        {"power", kLong},
        {"beep"},
        {"beep", ""},
        {"factory-reset"},
        {"factory-reset", "--yes", "--yes"},
        {"factory-reset", kLong},
        {"edid"},
        {"edid", "bogus", "1", "1"},
        {"edid", "list", "x"},
        {"edid", "preset", "1"},
        {"edid", "preset", "0", "1"},
        {"edid", "preset", "16", "1"},
        {"edid", "preset", "-1", "1"},
        {"edid", "preset", kLong, "1"},
        {"edid", "preset", "1", "0"},
        {"edid", "preset", "1", "9"},
        {"edid", "preset", "1", ""},
        {"edid", "preset", "1", kLong},
        {"edid", "copy", "I", "1"},
        {"edid", "copy", "", "1"},
        {"edid", "copy", kLong, "1"},
        {"edid", "copy", "A", "none"},
        {"edid", "file", "/nonexistent/x.bin", "1"},
        {"edid", "file", "", "1"},
        {"edid", "file", kLong, "1"},
        {"edid", "file", "/", "1"},
        {"edid", "file", "/dev/zero", "1"},
        {"edid", "file", fifo, "1"},
        {"matrix", "x"},
        {"route"},
        {"route", "1"},
        {"route", "0", "A"},
        {"route", "9", "A"},
        {"route", "1", "I"},
        {"route", kLong, "A"},
        {"route", "1", kLong},
        {"route", "1", "A", "B"},
        {"arc"},
        {"arc", "A"},
        {"arc", "A", "maybe"},
        {"arc", "Z", "on"},
        {"arc", kLong, "on"},
        {"arc", "A", kLong},
        {"upgrade"},
        {"upgrade", "a", "b"},
        {"upgrade", "/nonexistent/fw.bin"},
        {"upgrade", ""},
        {"upgrade", kLong},
        {"upgrade", "/"},
        {"upgrade", "/dev/null"},
        {"upgrade", fifo},
        {"info", "x"},
        {"text"},
        {"text", "set"},
        {"text", "get", "x"},
        {"text", "set", kLong},
        {"discover", "--wait"},
        {"discover", "--wait", "-1"},
        {"discover", "--wait", kLong},
        {"discover", "--bind", "1.2.3"},
        {"discover", "--bind", kLong},
        {"discover", "--broadcast", "256.0.0.1"},
        {"discover", "--discovery-port", "0"},
        {"discover", "--config-port", "65536"},
        {"discover", "--bogus", "1"},
        {"netconfig"},
        {"netconfig", "--mac"},
        {"netconfig", "--mac", "zz"},
        {"netconfig", "--mac", kLong},
        {"netconfig", "--mac", mac},
        {"netconfig", "--mac", mac, "--ip", "127.0.0.2"},
        {"netconfig", "--mac", mac, "--auto", "--ip", "127.0.0.2"},
        {"netconfig", "--mac", mac, "--auto", "--bogus"},
    };
    for (const auto& args : cases) ExpectUsageError("torvanectl", args, "torvanectl: ");
    ::unlink(fifo.c_str());
}

// torvane-sim's options as its --help lists them: "  --name ARG  help".
struct SimOption {
    std::string name;
    bool takesValue = false;
};
std::vector<SimOption> SimOptionsFromHelp() {
    const RunResult help = RunProgram(BuiltProgram("torvane-sim"), {"--help"}, kQuickMs);
    std::vector<SimOption> options;
    std::istringstream lines(help.out);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("  --", 0) != 0) continue;
        // The name and its argument, if any, stand before the help text,
        // which is two or more spaces further on (or on the next line).
        std::istringstream words(line.substr(2, line.find("  ", 2) - 2));
        SimOption option;
        std::string argument;
        words >> option.name >> argument;
        option.takesValue = !argument.empty();
        options.push_back(option);
    }
    return options;
}

// A case that torvane-sim took for good would serve on free loopback ports
// until the time limit, not on the switcher's own.
void ExpectSimUsageError(std::vector<std::string> args) {
    args.insert(args.begin(), {"--port", "0", "--no-udp"});
    ExpectUsageError("torvane-sim", args, "torvane-sim: ");
}

TEST(BadInput, TorvaneSimRefusesEveryBadOption) {
    const auto options = SimOptionsFromHelp();
    ASSERT_GT(options.size(), 30u);
    for (const auto& option : options) {
        SCOPED_TRACE(option.name);
        if (!option.takesValue) {
            if (option.name != "--help") ExpectSimUsageError({option.name, "surplus"});
            continue;
        }
        ExpectSimUsageError({option.name});
        if (option.name == "--text") continue;
        const std::string bad = option.name == "--link" ? "" : "x!";
        ExpectSimUsageError({option.name, bad});
        ExpectSimUsageError({option.name, kLong});
    }
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--bogus"}, {""}, {"-"}, {kLong}, {"--port", "65536"}, {"--ip", "10.0.0.1"}}) {
        ExpectSimUsageError(args);
    }
}

}  // namespace
}  // namespace torvane::test
