#include "cli/upgrade_commands.h"

#include <algorithm>
#include <cstdio>
#include <ostream>

#include "cli/standard_input.h"
#include "cli/terminal_text.h"
#include "pages/device_text.h"
#include "pages/firmware_image.h"

namespace torvane::cli {
namespace {

int Info(const DeviceIdentity& identity, const Printer& print) {
    if (print.options.json) {
        print.out << print.Succeeded(JsonObject()
                                         .AddString("device", identity.device)
                                         .AddString("text", identity.text))
                  << "\n";
        return kExitDone;
    }
    print.out << TerminalText(identity.device) << "\n" << TerminalText(identity.text) << "\n";
    return kExitDone;
}

int SetText(Session& session, const std::string& text, const Printer& print) {
    const auto set = session.Run<DeviceIdentity>(
        [&](Operations::Done<DeviceIdentity> done) { session.Ops().SetDeviceText(text, done); });
    if (!set.result) return print.Fail(OutcomeOf(set.result.error()));
    if (print.options.json) {
        print.out << print.Succeeded(JsonObject().AddString("text", set.result->text)) << "\n";
        return kExitDone;
    }
    print.out << "Set successfully!\n" << TerminalText(set.result->text) << "\n";
    return kExitDone;
}

// Follows the log as it grows, and the transfer's progress on standard
// error: a bar on a terminal, else a line each tenth of the image (a JSON
// line with --json), so a script or a log file sees it too.
class UpgradeWatch {
  public:
    UpgradeWatch(const Printer& print, EventLoop& loop)
        : print_(print), loop_(loop), bar_(!print.options.json && StandardErrorIsTerminal()) {}

    void Update(const UpgradeProgress& progress) {
        for (const auto& line : progress.newLines) {
            if (print_.options.json) continue;
            EndBar();
            print_.out << line << std::endl;
        }
        if (bar_ && progress.sending) DrawBar(progress);
        if (!bar_) WriteProgressLine(progress);
    }
    void EndBar() {
        if (barShown_) print_.err << "\n";
        barShown_ = false;
    }

  private:
    // The share of the image the switcher has confirmed, as the page's
    // progress bar shows it.
    void WriteProgressLine(const UpgradeProgress& progress) {
        if (progress.range <= 0) return;
        const int percent =
            static_cast<int>(std::min<long long>(100, 100LL * progress.confirmed / progress.range));
        // One line for every tenth, also when several pass at once.
        while (lastTenth_ < percent / 10) {
            const std::string shown = std::to_string(++lastTenth_ * 10);
            if (print_.options.json)
                print_.err << JsonObject().Add("progress", shown).Text() << std::endl;
            else
                print_.err << "progress " << shown << "%" << std::endl;
        }
    }

    void DrawBar(const UpgradeProgress& progress) {
        const int sent = progress.blocksSent;
        if (!started_) {
            started_ = true;
            startMs_ = loop_.Now();
        }
        if (sent == lastSent_) return;
        lastSent_ = sent;
        const double seconds = static_cast<double>(loop_.Now() - startMs_) / 1000.0;
        const double rate =
            seconds > 0 ? sent * static_cast<double>(kDataPayloadSize) / seconds : 0;
        constexpr int kWidth = 30;
        const int blocks = progress.blocks;
        const int filled = blocks ? sent * kWidth / blocks : 0;
        char text[128];
        std::snprintf(text, sizeof text, "\r[%-*s] %d/%d blocks %.0f B/s", kWidth,
                      std::string(static_cast<std::size_t>(filled), '#').c_str(), sent, blocks,
                      rate);
        print_.err << text << std::flush;
        barShown_ = true;
    }

    const Printer& print_;
    EventLoop& loop_;
    bool bar_;
    bool barShown_ = false;
    bool started_ = false;
    TimeMs startMs_ = 0;
    int lastSent_ = -1;
    int lastTenth_ = 0;
};

int Upgrade(Session& session, const std::string& path, const Printer& print) {
    UpgradeWatch watch(print, session.Loop());
    const auto upgraded = session.Run<DeviceIdentity>([&](Operations::Done<DeviceIdentity> done) {
        session.Ops().Upgrade(
            path, [&](const UpgradeProgress& progress) { watch.Update(progress); }, done);
    });
    watch.EndBar();
    if (!upgraded.result) return print.Fail(OutcomeOf(upgraded.result.error()));
    const std::string& device = upgraded.result->device;
    if (print.options.json) {
        print.out << print.Succeeded(JsonObject().AddString("device", device)) << "\n";
        return kExitDone;
    }
    if (!device.empty()) print.out << TerminalText(device) << "\n";
    return kExitDone;
}

}  // namespace

std::optional<UpgradeRequest> ParseUpgradeRequest(const Options& options, Outcome& refused) {
    const auto& args = options.args;
    UpgradeRequest request;
    if (options.command == "info") {
        if (!args.empty()) {
            refused = {kExitUsage, "info takes no arguments"};
            return std::nullopt;
        }
        return request;
    }
    if (options.command == "text") {
        if (args.size() != 2 || args[0] != "set") {
            refused = {kExitUsage, "text needs: set TEXT"};
            return std::nullopt;
        }
        if (Status fits = CheckDeviceText(args[1]); !fits) {
            refused = {kExitUsage, TerminalText(fits.error().message)};
            return std::nullopt;
        }
        request.action = UpgradeRequest::kTextSet;
        request.text = args[1];
        return request;
    }
    if (args.size() != 1) {
        refused = {kExitUsage, "upgrade needs one firmware file"};
        return std::nullopt;
    }
    request.action = UpgradeRequest::kUpgrade;
    request.path = args[0];
    if (const auto file = ReadFirmwareFile(request.path); !file) {
        const bool unreadable = file.error().kind == Error::Kind::kSystem;
        refused = {kExitUsage,
                   unreadable ? request.path + ": cannot be read" : file.error().message};
        return std::nullopt;
    }
    // The network module never passes the switcher's block acknowledgements
    // on: asking for an upgrade over TCP is a mistake in the command line.
    if (!options.serial) {
        refused = {kExitUsage, "Please use COM Control Mode!"};
        return std::nullopt;
    }
    return request;
}

int RunUpgradePage(Session& session, const UpgradeRequest& request, const Printer& print) {
    // Entering the page reads the identity.
    const auto entered = session.Run<DeviceIdentity>(
        [&](Operations::Done<DeviceIdentity> done) { session.Ops().ReadIdentity(done); });
    // The window lets the operator upgrade a switcher that does not tell its
    // identity (its firmware may be what is broken): so does the tool.
    if (!entered.result) {
        const Error& error = entered.result.error();
        if (request.action != UpgradeRequest::kUpgrade || error.kind == Error::Kind::kLinkLost)
            return print.Fail(OutcomeOf(error));
        const std::string warning = "the switcher did not tell its identity (" + error.message +
                                    "); upgrading all the same";
        // With --json, standard error carries the progress as JSON lines.
        if (print.options.json)
            print.warnings.push_back(warning);
        else
            print.Warn(warning);
    }
    switch (request.action) {
        case UpgradeRequest::kInfo:
            return Info(*entered.result, print);
        case UpgradeRequest::kTextSet:
            return SetText(session, request.text, print);
        case UpgradeRequest::kUpgrade:
            return Upgrade(session, request.path, print);
    }
    return kExitDone;
}

}  // namespace torvane::cli
