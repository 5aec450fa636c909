#include "sim/sim_options.h"

#include <climits>
#include <functional>
#include <sstream>

#include "sim/front_panel_command.h"
#include "sim/in_process_links.h"

namespace torvane::sim {
namespace {

struct Option {
    const char* name;
    const char* argument;  // nullptr: a switch without argument
    const char* help;
    std::function<bool(const std::string&, SimOptions&)> apply;
};

bool ToInt(const std::string& text, long low, long high, long* value) {
    try {
        std::size_t used = 0;
        const long v = std::stol(text, &used, 0);
        if (used != text.size() || v < low || v > high) return false;
        *value = v;
        return true;
    } catch (...) {
        return false;
    }
}

// Setters for the common shapes of option.
auto IntInto(std::function<int&(SimOptions&)> field, long low, long high) {
    return [field, low, high](const std::string& text, SimOptions& o) {
        long v;
        if (!ToInt(text, low, high, &v)) return false;
        field(o) = static_cast<int>(v);
        return true;
    };
}
auto PortInto(std::uint16_t SimOptions::*field) {
    return [field](const std::string& text, SimOptions& o) {
        long v;
        if (!ToInt(text, 0, 65535, &v)) return false;
        o.*field = static_cast<std::uint16_t>(v);
        return true;
    };
}
auto Set(std::function<void(SimOptions&)> change) {
    return [change](const std::string&, SimOptions& o) {
        change(o);
        return true;
    };
}
auto AddressInto(std::function<Ipv4&(SimOptions&)> field) {
    return [field](const std::string& text, SimOptions& o) {
        auto ip = ParseIpv4(text);
        if (!ip) return false;
        field(o) = *ip;
        return true;
    };
}
bool HexBytes(const std::string& text, std::vector<std::uint8_t>* out) {
    std::string digits;
    for (char c : text)
        if (std::isxdigit(static_cast<unsigned char>(c)))
            digits += c;
        else if (c != ' ' && c != ':' && c != '-')
            return false;
    if (digits.size() % 2 != 0) return false;
    out->clear();
    for (std::size_t i = 0; i < digits.size(); i += 2)
        out->push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    return true;
}
// "1,2,5" -> those ports connected, the others not.
auto PortSetInto(std::function<std::array<bool, kPorts>&(SimOptions&)> field) {
    return [field](const std::string& text, SimOptions& o) {
        std::array<bool, kPorts> set{};
        std::stringstream list(text);
        std::string item;
        while (std::getline(list, item, ',')) {
            long n;
            if (item.empty()) continue;
            if (!ToInt(item, 1, kPorts, &n)) return false;
            set[static_cast<std::size_t>(n - 1)] = true;
        }
        field(o) = set;
        return true;
    };
}

// "1,2,...,8": exactly eight numbers in `base` between `low` and `high`.
bool EightBytes(const std::string& text, int base, long low, long high,
                std::array<std::uint8_t, kPorts>* out) {
    std::array<std::uint8_t, kPorts> values{};
    std::stringstream list(text);
    std::string item;
    std::size_t count = 0;
    while (std::getline(list, item, ',')) {
        long v;
        const std::string number = base == 16 ? "0x" + item : item;
        if (count == kPorts || item.empty() || !ToInt(number, low, high, &v)) return false;
        values[count++] = static_cast<std::uint8_t>(v);
    }
    if (count != kPorts) return false;
    *out = values;
    return true;
}

// "8x8" or "1.2": two numbers 0 to 255 around `separator`.
bool BytePair(const std::string& text, char separator, std::uint8_t* first, std::uint8_t* second) {
    const auto at = text.find(separator);
    long a, b;
    if (at == std::string::npos || !ToInt(text.substr(0, at), 0, 255, &a) ||
        !ToInt(text.substr(at + 1), 0, 255, &b))
        return false;
    *first = static_cast<std::uint8_t>(a);
    *second = static_cast<std::uint8_t>(b);
    return true;
}

const std::vector<Option>& Options() {
    static const std::vector<Option> options = {
        // Where it serves.
        {"--ip", "ADDR",
         "switcher address, 127.0.0.0/8 only: TCP listens here and discovery reports it "
         "(127.0.0.1)",
         [](const std::string& t, SimOptions& o) {
             auto ip = ParseIpv4(t);
             if (!ip || (*ip)[0] != 127) return false;
             o.state.network.ip = *ip;
             return true;
         }},
        {"--port", "N", "TCP control port; 0 picks a free port (8000)",
         PortInto(&SimOptions::tcpPort)},
        {"--discovery-port", "N", "UDP discovery port; 0 picks one (30600)",
         PortInto(&SimOptions::discoveryPort)},
        {"--config-port", "N", "UDP configuration port; 0 picks one (30601)",
         PortInto(&SimOptions::configPort)},
        {"--no-udp", nullptr, "no discovery or configuration sockets",
         Set([](auto& o) { o.udp = false; })},
        {"--link", "PATH", "symbolic link to the pseudo-terminal, removed on exit",
         [](const std::string& t, SimOptions& o) {
             o.linkPath = t;
             return !t.empty() && t.size() < PATH_MAX;
         }},
        // Network settings the discovery answer reports.
        {"--mac", "XX-XX-XX-XX-XX-XX", "MAC address (02-54-56-00-00-01)",
         [](const std::string& t, SimOptions& o) {
             std::vector<std::uint8_t> bytes;
             if (!HexBytes(t, &bytes) || bytes.size() != 6) return false;
             std::copy(bytes.begin(), bytes.end(), o.state.network.mac.begin());
             return true;
         }},
        {"--gateway", "ADDR", "gateway (127.0.0.1)",
         AddressInto([](SimOptions& o) -> Ipv4& { return o.state.network.gateway; })},
        {"--netmask", "ADDR", "netmask (255.0.0.0)",
         AddressInto([](SimOptions& o) -> Ipv4& { return o.state.network.netmask; })},
        {"--auto-ip", nullptr, "report an automatic address (static)",
         Set([](auto& o) { o.state.network.autoAddress = true; })},
        // Device state.
        {"--power-off", nullptr, "start powered off (on)",
         Set([](auto& o) { o.state.powerOn = false; })},
        {"--beep-off", nullptr, "start with the beep disabled (enabled)",
         Set([](auto& o) { o.state.beepOn = false; })},
        {"--inputs", "LIST", "connected inputs, e.g. 1,2,3 (1,2,3)",
         PortSetInto(
             [](SimOptions& o) -> std::array<bool, kPorts>& { return o.state.inputConnected; })},
        {"--outputs", "LIST", "connected outputs, 1 to 8 for A to H (1,2)",
         PortSetInto(
             [](SimOptions& o) -> std::array<bool, kPorts>& { return o.state.outputConnected; })},
        {"--routing", "I1,...,I8", "input shown on outputs A to H (1,2,3,4,5,6,7,8)",
         [](const std::string& t, SimOptions& o) {
             return EightBytes(t, 10, 1, 8, &o.state.routing);
         }},
        {"--arc", "LIST", "outputs with ARC on, 1 to 8 for A to H (none)",
         PortSetInto([](SimOptions& o) -> std::array<bool, kPorts>& { return o.state.arcOn; })},
        {"--edid", "C1,...,C8",
         "EDID codes of inputs 1 to 8, hex: 00-0E preset, 0F-16 copy of A-H, 17 file (all 00)",
         [](const std::string& t, SimOptions& o) {
             return EightBytes(t, 16, 0, 0xFF, &o.state.edidCode);
         }},
        {"--size", "IxO", "device size the switcher reports (8x8)",
         [](const std::string& t, SimOptions& o) {
             return BytePair(t, 'x', &o.state.identity.inputs, &o.state.identity.outputs);
         }},
        {"--device-type", "N", "device type byte: 1 HDMI, 2 HDBaseT, other both (1)",
         [](const std::string& t, SimOptions& o) {
             long v;
             if (!ToInt(t, 0, 255, &v)) return false;
             o.state.identity.deviceType = static_cast<std::uint8_t>(v);
             return true;
         }},
        {"--version", "J.M", "firmware version, bytes J and M (1.0)",
         [](const std::string& t, SimOptions& o) {
             return BytePair(t, '.', &o.state.identity.versionMajor,
                             &o.state.identity.versionMinor);
         }},
        {"--text", "TEXT",
         "device text, 32 characters, padded with spaces (\"Torvane simulated switcher\")",
         [](const std::string& t, SimOptions& o) {
             o.state.deviceText = SwitcherState::MakeDeviceText(t);
             return true;
         }},
        // Timing.
        {"--reply-delay", "MS", "delay before each reply (5)",
         IntInto([](SimOptions& o) -> int& { return o.timing.replyDelayMs; }, 0, 600000)},
        {"--ready-delay", "MS", "upgrade accepted until ready (1000)",
         IntInto([](SimOptions& o) -> int& { return o.timing.readyDelayMs; }, 0, 600000)},
        {"--restart", "MS", "silence after the last firmware block (3000)",
         IntInto([](SimOptions& o) -> int& { return o.timing.restartMs; }, 0, 600000)},
        {"--raw-block-wait", "MS", "EDID start frame waits this long for its block (2000)",
         IntInto([](SimOptions& o) -> int& { return o.timing.rawBlockWaitMs; }, 1, 600000)},
        // Faults.
        {"--faults-after", "N",
         "the reply faults and --hang-up strike only after N units have arrived (0)",
         IntInto([](SimOptions& o) -> int& { return o.faults.faultsAfterUnits; }, 0, 100000000)},
        {"--faults-for", "N", "...and only for the N units after those; 0 for good (0)",
         IntInto([](SimOptions& o) -> int& { return o.faults.faultsForUnits; }, 0, 100000000)},
        {"--hang-up", nullptr,
         "the link of the first unit the faults meet is cut instead of answered, once; a cut "
         "pseudo-terminal is replaced by a new one (printed again as \"serial PATH\")",
         Set([](auto& o) { o.faults.hangUp = true; })},
        {"--silent", nullptr, "never reply on the command links",
         Set([](auto& o) { o.faults.silent = true; })},
        {"--drop", "N", "drop the next N replies (0)",
         IntInto([](SimOptions& o) -> int& { return o.faults.dropNextReplies; }, 0, 1000000)},
        {"--bad-checksum", "N", "the next N replies carry a wrong checksum (0)",
         IntInto([](SimOptions& o) -> int& { return o.faults.badChecksumReplies; }, 0, 1000000)},
        {"--extra-frames", "N", "unsolicited frames after each reply (0)",
         IntInto([](SimOptions& o) -> int& { return o.faults.extraFramesPerReply; }, 0, 100)},
        {"--extra-frame", "HEX",
         "the unsolicited frame, padded to 13 bytes and checksummed (A5 5B 08 0C F0)",
         [](const std::string& t, SimOptions& o) { return HexBytes(t, &o.faults.extraFrame); }},
        {"--garbage", "HEX", "bytes written before each reply (none)",
         [](const std::string& t, SimOptions& o) {
             return HexBytes(t, &o.faults.garbageBeforeReply);
         }},
        {"--tcp-split", "N", "TCP: write each reply as its first N bytes, then the rest (off)",
         IntInto([](SimOptions& o) -> int& { return o.faults.tcpSplitAt; }, 0, 12)},
        {"--tcp-split-gap", "MS", "TCP: pause between the two parts of a split reply (50)",
         IntInto([](SimOptions& o) -> int& { return o.faults.tcpSplitGapMs; }, 0, 60000)},
        {"--tcp-glue", nullptr, "TCP: hold each reply back and write it with the next",
         Set([](auto& o) { o.faults.tcpGlue = true; })},
        {"--tcp-bytewise", nullptr, "TCP: write every byte on its own, --tcp-split-gap apart",
         Set([](auto& o) { o.faults.tcpBytewise = true; })},
        {"--fault-block", "N", "firmware block N gets --fault-result instead of received (off)",
         IntInto([](SimOptions& o) -> int& { return o.faults.faultBlock; }, 0, 255)},
        {"--fault-result", "again|abort", "result for --fault-block (again)",
         [](const std::string& t, SimOptions& o) {
             if (t != "again" && t != "abort") return false;
             o.faults.faultBlockResult =
                 t == "again" ? BlockResult::kSendAgain : BlockResult::kAbort;
             return true;
         }},
        {"--fault-times", "N", "how many times --fault-block is answered so (1)",
         IntInto([](SimOptions& o) -> int& { return o.faults.faultBlockTimes; }, 0, 1000000)},
        {"--unechoed-last-blocks", "N", "answer N blocks flagged last as ordinary blocks (0)",
         IntInto([](SimOptions& o) -> int& { return o.faults.unechoedLastBlocks; }, 0, 255)},
        {"--no-restart-answer", nullptr, "stay silent for good after the last firmware block",
         Set([](auto& o) { o.faults.noRestartAnswer = true; })},
        {"--ignore", "GG:CC",
         "lose command frames of group GG and command CC (hex), e.g. 02:03; repeatable",
         [](const std::string& t, SimOptions& o) {
             std::vector<std::uint8_t> bytes;
             if (!HexBytes(t, &bytes) || bytes.size() != 2) return false;
             o.faults.ignoredCommands.push_back({bytes[0], bytes[1]});
             return true;
         }},
        {"--answer", "GG:CC=HEX",
         "answer command frames of group GG and command CC (hex) with the frame HEX (A5 5B "
         "first, padded to 13 bytes and checksummed), without acting on them; repeatable",
         [](const std::string& t, SimOptions& o) {
             const auto equals = t.find('=');
             std::vector<std::uint8_t> command, frame;
             if (equals == std::string::npos || !HexBytes(t.substr(0, equals), &command) ||
                 command.size() != 2 || !HexBytes(t.substr(equals + 1), &frame) ||
                 frame.size() < 2 || frame.size() > 13 || frame[0] != 0xA5 || frame[1] != 0x5B)
                 return false;
             o.faults.replacedAnswers.push_back({{command[0], command[1]}, frame});
             return true;
         }},
        {"--no-discovery", nullptr, "ignore discovery and configuration datagrams",
         Set([](auto& o) { o.faults.answerDiscovery = false; })},
        {"--front-panel", nullptr,
         "read front-panel commands on standard input, one a line (see below)",
         Set([](auto& o) { o.frontPanel = true; })},
        {"--help", nullptr, "show this text", Set([](auto& o) { o.help = true; })},
    };
    return options;
}

}  // namespace

bool ParseSimOptions(const std::vector<std::string>& args, SimOptions* options,
                     std::string* error) {
    options->faults.tcpSplitGapMs = 50;  // far enough apart to reach the peer as two reads
    for (std::size_t i = 0; i < args.size(); ++i) {
        const Option* option = nullptr;
        for (const auto& o : Options())
            if (args[i] == o.name) option = &o;
        if (option == nullptr) {
            *error = "unknown option: " + args[i];
            return false;
        }
        std::string value;
        if (option->argument != nullptr) {
            if (i + 1 >= args.size()) {
                *error = std::string(option->name) + " needs " + option->argument;
                return false;
            }
            value = args[++i];
        }
        if (!option->apply(value, *options)) {
            *error = "bad value for " + std::string(option->name) + ": " + value;
            return false;
        }
    }
    return true;
}

std::string SimUsage() {
    std::ostringstream out;
    out << "Usage: torvane-sim [OPTION]...\n"
           "Serves one simulated 8x8 HDMI matrix switcher on loopback: its control port on TCP,\n"
           "discovery and network configuration on UDP, and its serial port on a pseudo-terminal.\n"
           "Prints \"tcp ADDR:PORT\", \"serial PATH\", \"udp discovery N configuration N\" and\n"
           "\"ready\"; SIGINT or SIGTERM ends it. Defaults in parentheses.\n\n";
    for (const auto& o : Options()) {
        std::string head =
            std::string("  ") + o.name + (o.argument ? std::string(" ") + o.argument : "");
        if (head.size() < 30)
            head.resize(30, ' ');
        else
            head += "\n" + std::string(30, ' ');
        out << head << o.help << "\n";
    }
    out << "\nWith --front-panel, each line on standard input is what someone does at the\n"
           "switcher; the program finds it at its next query. Each command done is printed\n"
           "as \"panel COMMAND\"; a bad line is reported on standard error and changes\n"
           "nothing. A vanish prints \"panel vanish SECONDS\", and on return \"serial PATH\"\n"
           "(a new pseudo-terminal) and \"panel back\". The commands:\n"
        << FrontPanelUsage();
    return out.str();
}

}  // namespace torvane::sim
