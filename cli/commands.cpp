#include "cli/commands.h"

#include <functional>
#include <map>
#include <ostream>
#include <string>

#include "app/main_timers.h"
#include "cli/arguments.h"
#include "cli/edid_commands.h"
#include "cli/json.h"
#include "cli/matrix_commands.h"
#include "cli/network_commands.h"
#include "cli/printer.h"
#include "cli/session.h"
#include "cli/upgrade_commands.h"
#include "res/resource_ids.h"

namespace torvane::cli {
namespace {

// Commands whose own timers end every path; this is only a safety net.
constexpr int kTimedCommandLimitMs = 60000;
// Power off and beep have no time-out of their own: the switcher answers
// within a command's time-out or not at all.
constexpr int kUntimedCommandLimitMs = main_timer::kCommandTimeoutMs;

const char* OnOff(bool on) { return on ? "on" : "off"; }

int Status(Session& session, const Printer& print) {
    CTorvaneDlg& dlg = session.Dlg();
    Outcome outcome = session.ClickAndWait(res::kStatusButton, kTimedCommandLimitMs);
    if (!outcome.Ok()) return print.Fail(outcome);
    const auto& ui = dlg.Controls();
    const bool power = ui.Checked(res::kPowerOnBox);
    // The beep state is read only from a switcher that is on.
    const char* beep = power ? OnOff(ui.Checked(res::kEnableBeepBox)) : "unknown";
    auto connected = [&](int id) { return ui.Text(id).ends_with(": Connect"); };
    if (print.options.json) {
        JsonObject inputs, outputs;
        for (int k = 0; k < 8; ++k) {
            const char* in = connected(res::kFirstInputLabel + k) ? "connected" : "disconnected";
            const char* outState =
                connected(res::kFirstOutputLabel + k) ? "connected" : "disconnected";
            inputs.AddString(std::to_string(k + 1), in);
            outputs.AddString(std::string(1, char('A' + k)), outState);
        }
        print.out << print.Succeeded(JsonObject()
                                         .AddString("power", OnOff(power))
                                         .AddString("beep", beep)
                                         .Add("inputs", inputs.Text())
                                         .Add("outputs", outputs.Text()))
                  << "\n";
        return kExitDone;
    }
    print.out << "Power: " << OnOff(power) << "\nBeep: " << beep << "\n";
    for (int k = 0; k < 16; ++k) print.out << ui.Text(res::kFirstInputLabel + k) << "\n";
    return kExitDone;
}

// "Power On" and "Enable Beep": a click on the box asks for the other state,
// so a box already in the wanted state is left alone, as the operator would.
int SetCheckBox(Session& session, const Printer& print, int box, bool wanted, int limitMs,
                const std::string& what) {
    CTorvaneDlg& dlg = session.Dlg();
    const JsonObject confirmed = JsonObject().AddString(what, OnOff(wanted));
    if (dlg.Controls().Checked(box) == wanted)
        return print.Done(what + " is already " + OnOff(wanted), confirmed);
    Outcome outcome = session.ClickAndWait(box, limitMs);
    if (!outcome.Ok()) return print.Fail(outcome);
    if (dlg.Controls().Checked(box) != wanted) return print.Fail({kExitDeviceFailure, "Time out!"});
    return print.Done(what + " " + OnOff(wanted), confirmed);
}

int Button(Session& session, const Printer& print, int id, const std::string& done) {
    Outcome outcome = session.ClickAndWait(id, kTimedCommandLimitMs);
    if (!outcome.Ok()) return print.Fail(outcome);
    return print.Done(done);
}

int Ports(const Options& options, const Printer& print) {
    Session session(options, print.err);
    PortListRefresher& refresher = session.Dlg().Ports();
    if (!refresher.LastError().empty())
        return print.Fail(
            {kExitDeviceFailure, "cannot list the serial ports: " + refresher.LastError()});
    const auto& ports = refresher.Ports();
    if (options.json) {
        std::string list = "[";
        for (std::size_t i = 0; i < ports.size(); ++i) {
            if (i) list += ",";
            list += JsonObject()
                        .AddString("path", ports[i].devicePath)
                        .AddString("name", ports[i].friendlyName)
                        .Text();
        }
        print.out << print.Succeeded(JsonObject().Add("ports", list + "]")) << "\n";
        return kExitDone;
    }
    for (const auto& port : ports)
        print.out << port.devicePath << "\t" << port.friendlyName << "\n";
    return kExitDone;
}

std::optional<bool> OnOffArgument(const Options& options) {
    if (options.args.size() != 1) return std::nullopt;
    return ReadOnOff(options.args[0]);
}

}  // namespace

int RunCommand(const Options& options, std::ostream& out, std::ostream& err) {
    Printer print{options, out, err};
    const std::string& command = options.command;
    auto usage = [&](const std::string& error) { return print.Fail({kExitUsage, error}); };

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
    Outcome opened = session.OpenLink();
    for (const auto& message : session.ConnectMessages()) print.Warn(message);
    if (!opened.Ok()) return print.Fail(opened);
    if (command == "status") return Status(session, print);
    if (command == "edid") return RunEdid(session, *edid, print);
    if (upgrade) return RunUpgradePage(session, *upgrade, print);
    if (IsMatrixCommand(command)) return RunMatrixCommand(session, print);
    if (command == "power" && !*onOff) session.AnswerYesTo("Are you sure you want to power off?");
    if (command == "factory-reset")
        session.AnswerYesTo("Do you want to reset to factory settings?");
    if (command == "power")
        return SetCheckBox(session, print, res::kPowerOnBox, *onOff,
                           *onOff ? kTimedCommandLimitMs : kUntimedCommandLimitMs, "power");
    // Without power the beep state was never read: the box shows nothing
    // the switcher said, so neither "already" nor a click would be honest.
    if (command == "beep" && !session.Dlg().Controls().Checked(res::kPowerOnBox))
        return print.Fail({kExitDeviceFailure, "Power off!"});
    if (command == "beep")
        return SetCheckBox(session, print, res::kEnableBeepBox, *onOff, kUntimedCommandLimitMs,
                           "beep");
    if (command == "reboot") return Button(session, print, res::kRebootButton, "rebooted");
    return Button(session, print, res::kFactoryResetButton, "factory settings restored");
}

}  // namespace torvane::cli
