#include "cli/network_commands.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cctype>
#include <ostream>

#include "cli/arguments.h"
#include "cli/json.h"
#include "cli/printer.h"
#include "cli/session.h"
#include "res/resource_ids.h"

namespace torvane::cli {
namespace {

constexpr int kDefaultWaitMs = 2000;
// The configuration's own 15 s time-out ends every wait; this is a safety net.
constexpr int kConfigureLimitMs = 20000;
constexpr int kMessagesLimitMs = 1000;

struct NetworkArgs {
    DiscoverySettings settings;
    int waitMs = kDefaultWaitMs;
    std::string mac;  // netconfig: the twelve upper-case digits
    bool automatic = false;
    std::string ip, netmask, gateway, newMac;
};

bool IsIpv4(const std::string& text) {
    in_addr address{};
    return inet_pton(AF_INET, text.c_str(), &address) == 1;
}

bool ParseNumber(const std::string& text, int min, int max, int* value) {
    const auto read = ReadNumber(text, min, max);
    if (read) *value = *read;
    return read.has_value();
}

// Pieces of `text` between `separators`.
std::vector<std::string> Split(const std::string& text, const std::string& separators) {
    std::vector<std::string> parts(1);
    for (char c : text) {
        if (separators.find(c) != std::string::npos)
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

// "02-54-56-00-00-01", "02:54:56:00:00:01" or "025456000001" as twelve
// upper-case digits; empty when it is none of these.
std::string MacDigits(const std::string& text) {
    std::string digits;
    for (const auto& part : Split(text, "-:")) digits += part;
    const bool separated = Split(text, "-:").size() == 6;
    if (digits.size() != 12 || (!separated && digits.size() != text.size())) return {};
    for (char& c : digits) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) return {};
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return digits;
}

std::string MacWithDashes(const MacFields& mac) {
    std::string text;
    for (const auto& field : mac) text += (text.empty() ? "" : "-") + field;
    return text;
}

// Parses the command's arguments; returns an error text, empty when they are good.
std::string ParseArgs(const Options& options, NetworkArgs* args) {
    const bool netconfig = options.command == "netconfig";
    bool sawAddresses = false;
    const auto& a = options.args;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const std::string& name = a[i];
        if (!options.IsOptionAt(i)) return options.command + " takes no argument " + name;
        if (netconfig && name == "--auto") {
            args->automatic = true;
            continue;
        }
        if (i + 1 >= a.size()) return name + " needs a value";
        const std::string& value = a[++i];
        int number = 0;
        if (name == "--bind" || name == "--broadcast") {
            if (!IsIpv4(value)) return "bad " + name + " address: " + value;
            (name == "--bind" ? args->settings.bindIp : args->settings.broadcastIp) = value;
        } else if (name == "--discovery-port" || name == "--config-port") {
            if (!ParseNumber(value, 1, 65535, &number)) return "bad " + name + ": " + value;
            (name == "--discovery-port" ? args->settings.discoveryPort
                                        : args->settings.configPort) =
                static_cast<std::uint16_t>(number);
        } else if (name == "--wait") {
            if (!ParseNumber(value, 0, 600000, &args->waitMs)) return "bad --wait: " + value;
        } else if (netconfig && name == "--mac") {
            args->mac = MacDigits(value);
            if (args->mac.empty()) return "bad --mac: " + value;
        } else if (netconfig && (name == "--ip" || name == "--netmask" || name == "--gateway")) {
            (name == "--ip"        ? args->ip
             : name == "--netmask" ? args->netmask
                                   : args->gateway) = value;
            sawAddresses = true;
        } else if (netconfig && name == "--new-mac") {
            args->newMac = value;
        } else {
            return "unknown " + options.command + " argument " + name;
        }
    }
    if (!netconfig) return {};
    if (args->mac.empty()) return "netconfig needs --mac MAC";
    if (args->automatic == sawAddresses)
        return "netconfig needs --auto or --ip, --netmask and --gateway";
    if (sawAddresses && (args->ip.empty() || args->netmask.empty() || args->gateway.empty()))
        return "netconfig needs --ip, --netmask and --gateway together";
    return {};
}

class NetworkCommand {
  public:
    NetworkCommand(const Options& options, const NetworkArgs& args, std::ostream& out,
                   std::ostream& err)
        : options_(options), args_(args), out_(out), err_(err), session_(options, err) {
        session_.Dlg().SetDiscoverySettings(args.settings);
    }

    int Discover() {
        if (!Search()) return SocketFailure();
        return Done("");
    }

    int Configure() {
        if (!Search()) return SocketFailure();
        CTorvaneDlg& dlg = session_.Dlg();
        const auto& listed = dlg.SwitcherDiscovery().Listed();
        const auto found = std::find_if(listed.begin(), listed.end(),
                                        [&](const auto& s) { return MacText(s.mac) == args_.mac; });
        if (found == listed.end())
            return Fail(kExitDeviceFailure,
                        "no switcher with MAC " + MacWithDashes(SplitMacText(args_.mac)));
        dlg.Select(res::kSwitcherIpList, static_cast<int>(found - listed.begin()));
        dlg.Click(res::kConfigButton);

        FillDialog();
        CConfigIPDlg& config = dlg.ConfigIp();
        config.Click(res::kConfigOkButton);
        if (config.Running()) {
            // Refused: the dialog's messages, one after the other.
            session_.RunUntil([&] { return !dlg.Message().Showing(); }, kMessagesLimitMs);
            std::string said;
            for (const auto& message : session_.TakeMessages())
                said += (said.empty() ? "" : " ") + message;
            config.Click(res::kConfigCancelButton);
            return Fail(kExitUsage, said);
        }
        if (!dlg.SwitcherDiscovery().SocketOutcome()) return SocketFailure();
        session_.RunUntil([&] { return session_.Settled(); }, kConfigureLimitMs);
        const auto messages = session_.TakeMessages();
        if (!messages.empty()) return Fail(kExitDeviceFailure, messages.front());
        if (dlg.Busy().Flagged() || dlg.Configuration() != ConfigurationState::kAnswered)
            return Fail(kExitDeviceFailure, "Time out!");
        return Done("Configure successfully!");
    }

  private:
    // False when the socket could not be bound or used: nothing could answer.
    bool Search() {
        CTorvaneDlg& dlg = session_.Dlg();
        // Search belongs to the TCP control mode, as on the General page.
        dlg.Click(res::kTcpModeRadio);
        dlg.Click(res::kSearchButton);
        if (!dlg.SwitcherDiscovery().SocketOutcome()) return false;
        session_.RunUntil([] { return false; }, args_.waitMs);
        return true;
    }

    int SocketFailure() {
        return Fail(kExitLinkFailure,
                    session_.Dlg().SwitcherDiscovery().SocketOutcome().error().message);
    }

    // Types the values into the dialog as the operator would. A group whose
    // value the edits do not take (a letter in an address, a part too many)
    // is left with an empty field, so that OK names it with the others.
    void FillDialog() {
        CConfigIPDlg& config = session_.Dlg().ConfigIp();
        config.Click(args_.automatic ? res::kAutoIpRadio : res::kStaticIpRadio);
        auto type = [&](const auto& ids, const std::string& text, const char* separators) {
            const auto parts = Split(text, separators);
            bool taken = parts.size() == std::size(ids);
            for (std::size_t i = 0; taken && i < parts.size(); ++i) {
                config.EditText(ids[i], parts[i]);
                taken = config.Controls().Text(ids[i]) == parts[i];
            }
            if (!taken) config.EditText(ids[0], "");
        };
        if (!args_.automatic) {
            type(res::kConfigIpEdits, args_.ip, ".");
            type(res::kConfigNetmaskEdits, args_.netmask, ".");
            type(res::kConfigGatewayEdits, args_.gateway, ".");
        }
        if (!args_.newMac.empty()) type(res::kConfigMacEdits, args_.newMac, "-:");
    }

    std::string SwitchersJson() {
        std::string list = "[";
        for (const auto& s : session_.Dlg().SwitcherDiscovery().Listed()) {
            if (list.size() > 1) list += ",";
            list += JsonObject()
                        .AddString("ip", AddressText(s.ip))
                        .AddString("mac", MacWithDashes(s.mac))
                        .AddString("gateway", AddressText(s.gateway))
                        .AddString("netmask", AddressText(s.netmask))
                        .Text();
        }
        return list + "]";
    }

    int Done(const std::string& text) {
        if (options_.json) {
            out_ << JsonObject().Add("ok", "true").Add("switchers", SwitchersJson()).Text() << "\n";
            return kExitDone;
        }
        if (!text.empty()) out_ << text << "\n";
        for (const auto& s : session_.Dlg().SwitcherDiscovery().Listed())
            out_ << AddressText(s.ip) << "\t" << MacWithDashes(s.mac) << "\tgateway "
                 << AddressText(s.gateway) << "\tnetmask " << AddressText(s.netmask) << "\n";
        return kExitDone;
    }

    int Fail(int code, const std::string& error) {
        return Printer{options_, out_, err_}.Fail({code, error});
    }

    const Options& options_;
    const NetworkArgs& args_;
    std::ostream& out_;
    std::ostream& err_;
    Session session_;
};

}  // namespace

bool IsNetworkCommand(const std::string& command) {
    return command == "discover" || command == "netconfig";
}

int RunNetworkCommand(const Options& options, std::ostream& out, std::ostream& err) {
    NetworkArgs args;
    const std::string error = ParseArgs(options, &args);
    if (!error.empty()) return Printer{options, out, err}.Fail({kExitUsage, error});
    NetworkCommand command(options, args, out, err);
    return options.command == "discover" ? command.Discover() : command.Configure();
}

}  // namespace torvane::cli
