#include "cli/profile_commands.h"

#include <cstdlib>
#include <optional>
#include <ostream>

#include "app/operation_routing.h"
#include "app/preset_apply.h"
#include "cli/arguments.h"
#include "cli/json.h"
#include "cli/matrix_commands.h"
#include "cli/session.h"
#include "links/ipv4_address.h"
#include "links/stable_serial_path.h"
#include "links/system_links.h"
#include "network/mac_query.h"
#include "platform/poll_loop.h"
#include "profile/profile_store.h"
#include "profile/switcher_key.h"

namespace torvane::cli {
namespace {

using profile::PortKind;
using profile::PortNames;
using profile::Profile;
using profile::ReadPort;

constexpr int kMacWaitMs = 1500;
// Each operation's own time-outs end every wait; these are safety nets.
constexpr int kReadLimitMs = 150000;
constexpr int kApplyLimitMs = 600000;

// A port's label as the output shows it: "IN3", "OUTPUT B".
std::string PortText(PortKind kind, int port) {
    return kind == PortKind::kInput ? "IN" + std::to_string(port) : "OUTPUT " + OutputLetter(port);
}

std::string NameJson(const std::string& name) { return name.empty() ? "null" : JsonString(name); }

Result<std::pair<Options, DiscoverySettings>> TakeReachOptions(const Options& options) {
    Options rest = options;
    rest.args.clear();
    rest.literalFrom = static_cast<std::size_t>(-1);
    DiscoverySettings settings;
    const auto& a = options.args;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (options.IsOptionAt(i) && (a[i] == "--discovery-port" || a[i] == "--bind")) {
            if (i + 1 >= a.size()) return BadInput(a[i] + " needs a value");
            const std::string& value = a[i + 1];
            if (a[i] == "--bind") {
                if (!ParseIpv4(value)) return BadInput("bad --bind address: " + value);
                settings.bindIp = value;
            } else {
                const auto port = ReadNumber(value, 1, 65535);
                if (!port) return BadInput("bad --discovery-port: " + value);
                settings.discoveryPort = static_cast<std::uint16_t>(*port);
            }
            ++i;
            continue;
        }
        if (i >= options.literalFrom && rest.literalFrom == static_cast<std::size_t>(-1))
            rest.literalFrom = rest.args.size();
        rest.args.push_back(a[i]);
    }
    return std::make_pair(rest, settings);
}

// The profile key of the switcher the options reach: the serial port's
// stable name, as the window keys it, so an adapter's names follow it
// whatever tty name it has today; over TCP the MAC its network module gives
// when asked.
Result<std::string> SwitcherKey(const Options& options, const DiscoverySettings& settings) {
    if (options.serial) return profile::KeyForSerialPort(StableSerialPath(options.serialPath));
    const std::string ip = ResolveIpv4(options.host);
    if (ip.empty()) return SystemError("unknown host " + options.host);
    PollLoop loop;
    const auto links = MakeSystemLinkFactory(loop);
    MacQuery query(loop, *links);
    std::optional<Result<MacAddress>> answer;
    query.Ask(ip, settings, kMacWaitMs, [&](const Result<MacAddress>& mac) { answer = mac; });
    while (!answer) loop.RunOnce(kMacWaitMs);
    if (!*answer) return SystemError(answer->error().message);
    return profile::KeyForMac(answer->value());
}

struct Opened {
    profile::ProfileStore store;
    std::string key;
    Profile profile;
};

// The user's profile of the switcher the options reach; a profile that was
// moved aside is a warning.
Result<Opened> OpenProfile(const Options& options, const DiscoverySettings& settings,
                           const Printer& print) {
    auto folder =
        profile::ProfileStore::DefaultFolder([](const char* name) { return std::getenv(name); });
    if (!folder) return BadInput(folder.error().message);
    auto key = SwitcherKey(options, settings);
    if (!key) return key.error();
    Opened opened{profile::ProfileStore(*folder), *key, {}};
    auto loaded = opened.store.Load(opened.key);
    if (!loaded) return loaded.error();
    if (!loaded->notice.empty()) print.Warn(loaded->notice);
    opened.profile = std::move(loaded->profile);
    return opened;
}

// Changes the profile under its lock and keeps what it became.
Status Change(Opened& opened, const std::function<Status(Profile&)>& change, const Printer& print) {
    auto updated = opened.store.Update(opened.key, change);
    if (!updated) return updated.error();
    if (!updated->notice.empty()) print.Warn(updated->notice);
    opened.profile = std::move(updated->profile);
    return {};
}

JsonObject NamesJson(const PortNames& names, PortKind kind) {
    JsonObject object;
    for (int port = 1; port <= profile::kPorts; ++port)
        object.Add(kind == PortKind::kInput ? std::to_string(port) : OutputLetter(port),
                   NameJson(names[port - 1]));
    return object;
}

JsonObject PresetJson(const profile::Preset& preset) {
    JsonObject outputs;
    for (int output = 1; output <= profile::kPorts; ++output) {
        const auto& setting = preset.outputs[output - 1];
        if (!setting) continue;
        JsonObject one;
        one.Add("input", std::to_string(setting->input));
        if (setting->arc) one.AddString("arc", *setting->arc ? "on" : "off");
        outputs.Add(OutputLetter(output), one.Text());
    }
    return outputs;
}

std::string ListJson(const std::vector<std::string>& names) { return JsonStringArray(names); }

std::string Listed(const std::vector<std::string>& items) {
    std::string text;
    for (const auto& item : items) text += (text.empty() ? "" : ", ") + item;
    return text.empty() ? "none" : text;
}

int Names(const Opened& opened, const Printer& print) {
    const Profile& p = opened.profile;
    if (print.options.json) {
        print.out << print.Succeeded(
                         JsonObject()
                             .Add("inputs", NamesJson(p.inputNames, PortKind::kInput).Text())
                             .Add("outputs", NamesJson(p.outputNames, PortKind::kOutput).Text()))
                  << "\n";
        return kExitDone;
    }
    for (int port = 1; port <= profile::kPorts; ++port)
        print.out << PortText(PortKind::kInput, port) << ": "
                  << (p.inputNames[port - 1].empty() ? "-" : p.inputNames[port - 1]) << "\n";
    for (int port = 1; port <= profile::kPorts; ++port)
        print.out << PortText(PortKind::kOutput, port) << ": "
                  << (p.outputNames[port - 1].empty() ? "-" : p.outputNames[port - 1]) << "\n";
    return kExitDone;
}

int Name(Opened& opened, const std::vector<std::string>& args, bool clear, const Printer& print) {
    const PortKind kind = args[0] == "input" ? PortKind::kInput : PortKind::kOutput;
    const auto& names =
        kind == PortKind::kInput ? opened.profile.inputNames : opened.profile.outputNames;
    auto port = ReadPort(kind, args[1], names);
    if (!port) return print.Fail({kExitUsage, port.error().message});
    const std::string name = clear ? "" : args[2];
    if (Status set = Change(
            opened, [&](Profile& p) { return profile::SetName(p, kind, *port, name); }, print);
        !set)
        return print.Fail(OutcomeOf(set.error()));
    JsonObject state;
    if (kind == PortKind::kInput)
        state.Add("input", std::to_string(*port));
    else
        state.AddString("output", OutputLetter(*port));
    state.Add("name", NameJson(name));
    return print.Done(PortText(kind, *port) + ": " + (name.empty() ? "no name" : name), state);
}

// Opens the link and reads the routing as the Matrix page shows it.
struct Linked {
    std::unique_ptr<Session> session;
    RoutingState state;
};

Result<Linked> ReadRouting(const Options& options, const Printer& print) {
    Linked linked{std::make_unique<Session>(options, print.err), {}};
    const auto opened = linked.session->OpenLink();
    for (const auto& note : opened.notes) print.Warn(note);
    if (!opened.result) return opened.result.error();
    OperationRouting routing(linked.session->Ops());
    std::optional<Result<RoutingState>> read;
    routing.Read([&](const Result<RoutingState>& state) { read = state; });
    linked.session->RunUntil([&] { return read.has_value(); }, kReadLimitMs);
    if (!read) return Error{Error::Kind::kTimedOut, "Time out!"};
    if (!*read) return read->error();
    linked.state = read->value();
    return linked;
}

int SavePreset(Opened& opened, const std::string& name, const std::vector<int>& outputs,
               const Printer& print) {
    if (auto problem = profile::NameProblem(name, "the preset name", false); !problem.empty())
        return print.Fail({kExitUsage, problem});
    auto linked = ReadRouting(print.options, print);
    if (!linked) return print.Fail(OutcomeOf(linked.error()));
    auto preset = PresetFromState(linked->state, outputs);
    if (!preset) return print.Fail({kExitDeviceFailure, preset.error().message});
    if (Status saved = Change(
            opened, [&](Profile& p) { return profile::SavePreset(p, name, *preset); }, print);
        !saved)
        return print.Fail(OutcomeOf(saved.error()));
    return print.Done(
        profile::DescribePreset(*preset).substr(0, std::string::npos) + "saved as " +
            JsonString(name),
        JsonObject().AddString("preset", name).Add("outputs", PresetJson(*preset).Text()));
}

int ApplyPreset(const Opened& opened, const std::string& name, bool dryRun, const Printer& print) {
    const auto found = opened.profile.presets.find(name);
    if (found == opened.profile.presets.end())
        return print.Fail({kExitUsage, "no preset named " + JsonString(name)});
    auto linked = ReadRouting(print.options, print);
    if (!linked) return print.Fail(OutcomeOf(linked.error()));
    OperationRouting routing(linked->session->Ops());
    std::optional<PresetReport> report;
    PresetRun run(routing, found->second, linked->state, dryRun,
                  [&](const PresetReport& r) { report = r; });
    run.Start();
    linked->session->RunUntil([&] { return report.has_value(); }, kApplyLimitMs);
    if (!report) return print.Fail({kExitDeviceFailure, "Time out!"});

    JsonObject outputs;
    std::vector<std::string> applied, failed;
    std::string text;
    for (const auto& output : report->outputs) {
        const std::string letter = OutputLetter(output.output);
        outputs.Add(letter, JsonObject()
                                .AddString("result", OutcomeWord(output.outcome))
                                .AddString("detail", output.detail)
                                .Text());
        text +=
            "OUTPUT " + letter + ": " + OutcomeWord(output.outcome) + " (" + output.detail + ")\n";
        (output.outcome == PresetReport::Outcome::kFailed ? failed : applied).push_back(letter);
    }
    JsonObject state = JsonObject().AddString("preset", name).Add("outputs", outputs.Text());
    if (!text.empty()) text.pop_back();
    if (!report->AnyFailed()) return print.Done(text, state);
    if (!print.options.json) print.out << text << "\n";
    return print.Fail({kExitDeviceFailure, "preset " + JsonString(name) +
                                               " was applied in part: " + "failed on " +
                                               Listed(failed) + "; as asked on " + Listed(applied)},
                      state);
}

}  // namespace

bool IsProfileCommand(const std::string& command) {
    return command == "names" || command == "name" || command == "preset";
}

int RunProfileCommand(const Options& options, const Printer& print) {
    auto usage = [&](const std::string& error) { return print.Fail({kExitUsage, error}); };
    auto taken = TakeReachOptions(options);
    if (!taken) return usage(taken.error().message);
    const Options& o = taken->first;
    const DiscoverySettings& reach = taken->second;
    const auto& a = o.args;
    const std::string& command = o.command;
    // Each command's own options; any other is refused before anything is read.
    bool clear = false, dryRun = false;
    std::vector<int> outputs;
    std::vector<std::string> words;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!o.IsOptionAt(i)) {
            words.push_back(a[i]);
            continue;
        }
        if (command == "name" && a[i] == "--clear") {
            clear = true;
        } else if (command == "preset" && a[i] == "--dry-run") {
            dryRun = true;
        } else if (command == "preset" && a[i] == "--outputs" && i + 1 < a.size()) {
            std::string list = a[++i];
            std::size_t start = 0;
            for (;;) {
                const std::size_t comma = list.find(',', start);
                const auto output = ReadOutput(list.substr(start, comma - start));
                if (!output)
                    return usage("bad --outputs: " + list + " (letters A-H, commas between)");
                outputs.push_back(*output);
                if (comma == std::string::npos) break;
                start = comma + 1;
            }
        } else {
            return usage("unknown option " + a[i]);
        }
    }
    const std::string sub = command == "preset" && !words.empty() ? words[0] : "";
    if (command == "names" && !words.empty()) return usage("names takes no arguments");
    if (command == "name") {
        const bool kind = !words.empty() && (words[0] == "input" || words[0] == "output");
        if (!kind || words.size() != (clear ? 2u : 3u))
            return usage("name needs input N NAME, output X NAME, or output X --clear");
    }
    if (command == "preset") {
        const std::size_t wanted = sub == "list" ? 1 : sub == "rename" ? 3 : 2;
        const bool known = sub == "list" || sub == "show" || sub == "save" || sub == "apply" ||
                           sub == "delete" || sub == "rename" || sub == "export" || sub == "import";
        if (!known)
            return usage("preset needs list, show, save, apply, delete, rename, export or import");
        if (words.size() != wanted)
            return usage("preset " + sub + " takes " + std::to_string(wanted - 1) + " argument" +
                         (wanted == 2 ? "" : "s"));
        if (dryRun && sub != "apply") return usage("--dry-run belongs to preset apply");
        if (!outputs.empty() && sub != "save") return usage("--outputs belongs to preset save");
    }

    auto opened = OpenProfile(o, reach, print);
    if (!opened) return print.Fail(OutcomeOf(opened.error()));
    Opened& profile = *opened;
    if (command == "names") return Names(profile, print);
    if (command == "name") return Name(profile, words, clear, print);
    const Printer& p = print;
    if (sub == "list") {
        std::vector<std::string> names;
        for (const auto& [name, preset] : profile.profile.presets) names.push_back(name);
        if (p.options.json) {
            p.out << p.Succeeded(JsonObject().Add("presets", ListJson(names))) << "\n";
            return kExitDone;
        }
        for (const auto& name : names) p.out << name << "\n";
        return kExitDone;
    }
    if (sub == "show") {
        const auto found = profile.profile.presets.find(words[1]);
        if (found == profile.profile.presets.end())
            return usage("no preset named " + JsonString(words[1]));
        std::string text = profile::DescribePreset(found->second);
        if (!text.empty()) text.pop_back();
        return p.Done(text, JsonObject()
                                .AddString("preset", found->first)
                                .Add("outputs", PresetJson(found->second).Text()));
    }
    if (sub == "save") return SavePreset(profile, words[1], outputs, print);
    if (sub == "apply") return ApplyPreset(profile, words[1], dryRun, print);
    if (sub == "delete") {
        if (Status done = Change(
                profile, [&](Profile& pr) { return profile::DeletePreset(pr, words[1]); }, print);
            !done)
            return p.Fail(OutcomeOf(done.error()));
        return p.Done("deleted preset " + JsonString(words[1]),
                      JsonObject().AddString("deleted", words[1]));
    }
    if (sub == "rename") {
        if (Status done = Change(
                profile, [&](Profile& pr) { return profile::RenamePreset(pr, words[1], words[2]); },
                print);
            !done)
            return p.Fail(OutcomeOf(done.error()));
        return p.Done("renamed preset " + JsonString(words[1]) + " to " + JsonString(words[2]),
                      JsonObject().AddString("preset", words[2]).AddString("was", words[1]));
    }
    if (sub == "export") {
        if (Status done = profile.store.ExportPresets(profile.key, words[1]); !done)
            return p.Fail({kExitUsage, done.error().message});
        std::vector<std::string> names;
        for (const auto& [name, preset] : profile.profile.presets) names.push_back(name);
        return p.Done(std::to_string(names.size()) + " presets written to " + words[1],
                      JsonObject().AddString("file", words[1]).Add("presets", ListJson(names)));
    }
    auto imported = profile.store.ImportPresets(profile.key, words[1]);
    if (!imported) return p.Fail({kExitUsage, imported.error().message});
    if (!imported->notice.empty()) p.Warn(imported->notice);
    return p.Done("added: " + Listed(imported->added) + "; replaced: " + Listed(imported->replaced),
                  JsonObject()
                      .Add("added", ListJson(imported->added))
                      .Add("replaced", ListJson(imported->replaced)));
}

std::optional<int> ResolveMatrixNames(Options& options, const Printer& print) {
    const bool route = options.command == "route";
    if (!route && options.command != "arc") return std::nullopt;
    auto taken = TakeReachOptions(options);
    if (!taken) return print.Fail({kExitUsage, taken.error().message});
    Options& o = taken->first;
    // Positions of the ports: route INPUT OUTPUT, arc OUTPUT on|off.
    std::vector<std::pair<std::size_t, PortKind>> ports;
    if (route)
        ports = {{0, PortKind::kInput}, {1, PortKind::kOutput}};
    else
        ports = {{0, PortKind::kOutput}};
    bool named = false;
    for (const auto& [at, kind] : ports) {
        if (at >= o.args.size() || (at < o.literalFrom && LooksLikeOption(o.args[at])))
            return std::nullopt;
        const std::string& text = o.args[at];
        // Digits are a port's number, in range or not, never a name.
        const bool digits =
            !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
        if (!digits && !(kind == PortKind::kInput ? ReadInput(text) : ReadOutput(text)))
            named = true;
    }
    if (!named) {
        options = o;
        return std::nullopt;
    }
    auto opened = OpenProfile(o, taken->second, print);
    // Without names the argument is simply not a port.
    if (!opened)
        return print.Fail({kExitUsage, MatrixUsageError(o) +
                                           "; no names to read it as: " + opened.error().message});
    for (const auto& [at, kind] : ports) {
        const auto& names =
            kind == PortKind::kInput ? opened->profile.inputNames : opened->profile.outputNames;
        auto port = ReadPort(kind, o.args[at], names);
        if (!port) return print.Fail({kExitUsage, port.error().message});
        o.args[at] = kind == PortKind::kInput ? std::to_string(*port) : OutputLetter(*port);
    }
    options = o;
    return std::nullopt;
}

}  // namespace torvane::cli
