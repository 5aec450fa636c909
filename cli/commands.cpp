#include "cli/commands.h"

#include <functional>
#include <map>
#include <ostream>
#include <string>

#include "cli/arguments.h"
#include "cli/edid_commands.h"
#include "cli/json.h"
#include "cli/matrix_commands.h"
#include "cli/network_commands.h"
#include "cli/printer.h"
#include "cli/profile_commands.h"
#include "cli/session.h"
#include "cli/upgrade_commands.h"
#include "cli/watch_command.h"

namespace torvane::cli {
namespace {

const char* OnOff(bool on) { return on ? "on" : "off"; }

std::string ConnectionText(bool input, int n, bool connected) {
    std::string text =
        input ? "HDMI IN" + std::to_string(n) : std::string("HDMI OUT") + char('A' + n - 1);
    return text + (connected ? ": Connect" : ": Disconnect");
}

int PrintStatus(Session& session, const Printer& print) {
    const auto read = session.Run<SwitcherStatus>(
        [&](Operations::Done<SwitcherStatus> done) { session.Ops().Status(done); });
    if (!read.result) return print.Fail(OutcomeOf(read.result.error()));
    const SwitcherStatus& status = *read.result;
    // The beep state is read only from a switcher that is on.
    const char* beep = status.beep ? OnOff(*status.beep) : "unknown";
    if (print.options.json) {
        JsonObject inputs, outputs;
        for (int k = 0; k < 8; ++k) {
            inputs.AddString(std::to_string(k + 1),
                             status.inputConnected[k] ? "connected" : "disconnected");
            outputs.AddString(std::string(1, char('A' + k)),
                              status.outputConnected[k] ? "connected" : "disconnected");
        }
        print.out << print.Succeeded(JsonObject()
                                         .AddString("power", OnOff(status.power))
                                         .AddString("beep", beep)
                                         .Add("inputs", inputs.Text())
                                         .Add("outputs", outputs.Text()))
                  << "\n";
        return kExitDone;
    }
    print.out << "Power: " << OnOff(status.power) << "\nBeep: " << beep << "\n";
    for (int n = 1; n <= 8; ++n)
        print.out << ConnectionText(true, n, status.inputConnected[n - 1]) << "\n";
    for (int n = 1; n <= 8; ++n)
        print.out << ConnectionText(false, n, status.outputConnected[n - 1]) << "\n";
    return kExitDone;
}

// Power and beep: a state already confirmed is left alone.
int Switch(Session& session, const Printer& print, bool power, bool wanted) {
    const std::string what = power ? "power" : "beep";
    const auto set = session.Run<SwitchState>([&](Operations::Done<SwitchState> done) {
        if (power)
            session.Ops().Power(wanted, done);
        else
            session.Ops().Beep(wanted, done);
    });
    if (!set.result) return print.Fail(OutcomeOf(set.result.error()));
    const JsonObject confirmed = JsonObject().AddString(what, OnOff(wanted));
    if (set.result->already) return print.Done(what + " is already " + OnOff(wanted), confirmed);
    return print.Done(what + " " + OnOff(wanted), confirmed);
}

int Ports(const Options& options, const Printer& print) {
    Session session(options, print.err);
    const auto ports = session.Ops().Ports();
    if (!ports) return print.Fail({kExitDeviceFailure, ports.error().message});
    if (options.json) {
        std::string list = "[";
        for (std::size_t i = 0; i < ports->size(); ++i) {
            if (i) list += ",";
            list += JsonObject()
                        .AddString("path", (*ports)[i].devicePath)
                        .AddString("name", (*ports)[i].friendlyName)
                        .Text();
        }
        print.out << print.Succeeded(JsonObject().Add("ports", list + "]")) << "\n";
        return kExitDone;
    }
    for (const auto& port : *ports)
        print.out << port.devicePath << "\t" << port.friendlyName << "\n";
    return kExitDone;
}

std::optional<bool> OnOffArgument(const Options& options) {
    if (options.args.size() != 1) return std::nullopt;
    return ReadOnOff(options.args[0]);
}

}  // namespace

int RunCommand(const Options& given, std::ostream& out, std::ostream& err) {
    Options options = given;
    Printer print{options, out, err};
    const std::string& command = options.command;
    if (IsProfileCommand(command)) return RunProfileCommand(options, print);
    // route and arc take names: each becomes its number or letter here.
    if (auto refused = ResolveMatrixNames(options, print)) return *refused;
    auto usage = [&](const std::string& error) { return print.Fail({kExitUsage, error}); };

    if (command == "watch") return RunWatch(options, out, err);
    // Only discovery and network configuration have options of their own
    // (and refuse those they do not know); factory-reset's --yes is its
    // confirmation, and a device text is free text that may begin with '-'.
    // After "--" nothing is an option.
    if (!IsNetworkCommand(command) && command != "text") {
        for (std::size_t i = 0; i < options.args.size(); ++i) {
            const bool confirmation = command == "factory-reset" && options.args[i] == "--yes";
            if (options.IsOptionAt(i) && !confirmation)
                return usage("unknown option " + options.args[i]);
        }
    }

    if (command == "ports")
        return options.args.empty() ? Ports(options, print) : usage("ports takes no arguments");
    if (IsNetworkCommand(command)) return RunNetworkCommand(options, out, err);
    std::optional<bool> onOff;
    std::optional<EdidRequest> edid;
    std::optional<UpgradeRequest> upgrade;
    if (command == "upgrade" || command == "info" || command == "text") {
        Outcome refused;
        upgrade = ParseUpgradeRequest(options, refused);
        if (!upgrade) return print.Fail(refused);
    } else if (command == "edid") {
        Outcome refused;
        edid = ParseEdidRequest(options.args, refused);
        if (!edid) return print.Fail(refused);
        if (!edid->warning.empty()) print.Warn(edid->warning);
        if (edid->action == EdidRequest::kCheck) return CheckEdid(*edid, print);
    } else if (IsMatrixCommand(command)) {
        const std::string error = MatrixUsageError(options);
        if (!error.empty()) return usage(error);
    } else if (command == "power" || command == "beep") {
        onOff = OnOffArgument(options);
        if (!onOff) return usage(command + " needs on or off");
    } else if (command == "factory-reset") {
        if (options.args != std::vector<std::string>{"--yes"})
            return usage("factory-reset resets the switcher's settings; confirm with --yes");
    } else if (command == "status" || command == "reboot") {
        if (!options.args.empty()) return usage(command + " takes no arguments");
    } else {
        return usage("unknown command " + command);
    }

    Session session(options, err);
    const auto opened = session.OpenLink();
    for (const auto& message : opened.notes) print.Warn(message);
    if (!opened.result) return print.Fail(OutcomeOf(opened.result.error()));
    if (command == "status") return PrintStatus(session, print);
    if (command == "edid") return RunEdid(session, *edid, print);
    if (upgrade) return RunUpgradePage(session, *upgrade, print);
    if (IsMatrixCommand(command)) return RunMatrixCommand(session, print);
    if (command == "power" || command == "beep")
        return Switch(session, print, command == "power", *onOff);
    const bool reboot = command == "reboot";
    const auto done = session.Run<void>([&](Operations::Done<void> then) {
        if (reboot)
            session.Ops().Reboot(then);
        else
            session.Ops().FactoryReset(then);
    });
    if (!done.result) return print.Fail(OutcomeOf(done.result.error()));
    return print.Done(reboot ? "rebooted" : "factory settings restored");
}

}  // namespace torvane::cli
