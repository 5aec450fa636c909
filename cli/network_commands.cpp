#include "cli/network_commands.h"

#include <cctype>
#include <ostream>

#include "cli/arguments.h"
#include "cli/json.h"
#include "cli/printer.h"
#include "cli/session.h"
#include "links/ipv4_address.h"

namespace torvane::cli {
namespace {

constexpr int kDefaultWaitMs = 2000;

struct NetworkArgs {
    DiscoverySettings settings;
    int waitMs = kDefaultWaitMs;
    NetworkSettings network;  // netconfig
};

bool IsIpv4(const std::string& text) { return ParseIpv4(text).has_value(); }

bool ParseNumber(const std::string& text, int min, int max, int* value) {
    const auto read = ReadNumber(text, min, max);
    if (read) *value = *read;
    return read.has_value();
}

// "02-54-56-00-00-01", "02:54:56:00:00:01" or "025456000001" as twelve
// upper-case digits; empty when it is none of these.
std::string MacDigits(const std::string& text) {
    std::string digits;
    for (const auto& part : SplitAtAny(text, "-:")) digits += part;
    const bool separated = SplitAtAny(text, "-:").size() == 6;
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
            args->network.automatic = true;
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
            args->network.mac = MacDigits(value);
            if (args->network.mac.empty()) return "bad --mac: " + value;
        } else if (netconfig && (name == "--ip" || name == "--netmask" || name == "--gateway")) {
            (name == "--ip"        ? args->network.ip
             : name == "--netmask" ? args->network.netmask
                                   : args->network.gateway) = value;
            sawAddresses = true;
        } else if (netconfig && name == "--new-mac") {
            args->network.newMac = value;
        } else {
            return "unknown " + options.command + " argument " + name;
        }
    }
    if (!netconfig) return {};
    const NetworkSettings& network = args->network;
    if (network.mac.empty()) return "netconfig needs --mac MAC";
    if (network.automatic == sawAddresses)
        return "netconfig needs --auto or --ip, --netmask and --gateway";
    if (sawAddresses && (network.ip.empty() || network.netmask.empty() || network.gateway.empty()))
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
        return Report(session_.Run<FoundSwitchers>([this](Operations::Done<FoundSwitchers> done) {
            session_.Ops().Discover(args_.waitMs, done);
        }),
                      "");
    }

    int Configure() {
        return Report(session_.Run<FoundSwitchers>([this](Operations::Done<FoundSwitchers> done) {
            session_.Ops().ConfigureNetwork(args_.network, args_.waitMs, done);
        }),
                      "Configure successfully!");
    }

  private:
    int Report(const Completed<FoundSwitchers>& completed, const std::string& text) {
        if (!completed.result)
            return Printer{options_, out_, err_}.Fail(OutcomeOf(completed.result.error()));
        found_ = *completed.result;
        return Done(text);
    }

    std::string SwitchersJson() {
        std::string list = "[";
        for (const auto& s : found_) {
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
        for (const auto& s : found_)
            out_ << AddressText(s.ip) << "\t" << MacWithDashes(s.mac) << "\tgateway "
                 << AddressText(s.gateway) << "\tnetmask " << AddressText(s.netmask) << "\n";
        return kExitDone;
    }

    const Options& options_;
    const NetworkArgs& args_;
    std::ostream& out_;
    std::ostream& err_;
    Session session_;
    FoundSwitchers found_;
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
