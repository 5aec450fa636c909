#include "cli/session.h"

#include <cstdio>
#include <ostream>

#include "app/link_messages.h"
#include "links/ipv4_address.h"

namespace torvane::cli {
namespace {

std::string TraceLine(char direction, const std::uint8_t* bytes, std::size_t count) {
    std::string line(1, direction);
    line += ' ';
    char hex[4];
    for (std::size_t i = 0; i < count; ++i) {
        std::snprintf(hex, sizeof hex, i ? " %02X" : "%02X", bytes[i]);
        line += hex;
    }
    return line;
}

// The operator's port is listed even where the machine's enumeration does
// not find it (a pseudo-terminal, say).
std::vector<ListedPort> ExtraPorts(const Options& options) {
    if (!options.serial) return {};
    return {{options.serialPath, "Serial port " + options.serialPath, "", ""}};
}

}  // namespace

Outcome OutcomeOf(const Error& error) {
    switch (error.kind) {
        case Error::Kind::kSystem:
        case Error::Kind::kLinkLost:
            return {kExitLinkFailure, error.message};
        case Error::Kind::kBadInput:
            return {kExitUsage, error.message};
        case Error::Kind::kTimedOut:
        case Error::Kind::kRefused:
            break;
    }
    return {kExitDeviceFailure, error.message};
}

Session::Session(const Options& options, std::ostream& trace)
    : options_(options),
      links_(MakeSystemLinkFactory(loop_, ExtraPorts(options))),
      app_(loop_, *links_) {
    dlg_ = &app_.InitInstance(nullptr);
    if (options.trace)
        dlg_->SetTrace([&trace](char direction, const std::uint8_t* bytes, std::size_t count) {
            trace << TraceLine(direction, bytes, count) << std::endl;
        });
    ops_.emplace(app_, loop_);
}

Completed<void> Session::OpenLink() {
    LinkChoice link;
    link.serial = options_.serial;
    link.serialPath = options_.serialPath;
    link.port = options_.port;
    if (!link.serial) {
        link.ipv4 = ResolveIpv4(options_.host);
        if (link.ipv4.empty())
            return {SystemError(ConnectFailedText("unknown host " + options_.host)), {}};
    }
    return Run<void>([&](Operations::Done<void> done) { ops_->Connect(link, done); });
}

bool Session::RunUntil(const std::function<bool()>& done, int maxMs) {
    const TimeMs deadline = loop_.Now() + maxMs;
    // The condition is checked after every event, not every few
    // milliseconds: a command line of many exchanges pays nothing per turn.
    while (!done() && !loop_.QuitRequested()) {
        const TimeMs left = deadline - loop_.Now();
        if (left <= 0) break;
        loop_.RunOnce(left);
    }
    return done();
}

bool Session::Settled() const {
    CTorvaneDlg& dlg = *dlg_;
    return dlg.BusyGateOpen() && !dlg.Busy().Flagged() && !dlg.Message().Showing();
}

}  // namespace torvane::cli
