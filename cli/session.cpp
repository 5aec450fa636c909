#include "cli/session.h"

#include <arpa/inet.h>
#include <netdb.h>

#include <cstdio>
#include <ostream>

#include "app/link_messages.h"
#include "app/main_timers.h"
#include "links/ipv4_address.h"
#include "res/resource_ids.h"

namespace torvane::cli {
namespace {

// The switcher answers each command within a command's time-out (its one
// resend aside).
constexpr int kReplyLimitMs = main_timer::kCommandTimeoutMs;
constexpr int kConnectLimitMs = 5000;

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

// Dotted IPv4 as given, or the first IPv4 address of a host name.
std::string ResolveIpv4(const std::string& host) {
    if (ParseIpv4(host)) return host;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) return {};
    const std::string text = Ipv4Text(*reinterpret_cast<sockaddr_in*>(found->ai_addr));
    freeaddrinfo(found);
    return text;
}

}  // namespace

Session::Session(const Options& options, std::ostream& trace)
    : options_(options), links_(loop_), app_(loop_, links_) {
    // The operator's port is listed even where the machine's enumeration
    // does not find it (a pseudo-terminal, say).
    if (options.serial)
        links_.AddExtraPort({options.serialPath, "Serial port " + options.serialPath, "", ""});
    dlg_ = &app_.InitInstance(nullptr);
    if (options.trace)
        dlg_->SetTrace([&trace](char direction, const std::uint8_t* bytes, std::size_t count) {
            trace << TraceLine(direction, bytes, count) << std::endl;
        });
    dlg_->Message().AddObserver(this);
}

Session::~Session() { dlg_->Message().RemoveObserver(this); }

void Session::OnOpened(Window&) {
    const std::string text = dlg_->Message().MessageText();
    const bool asked = !expectedQuestion_.empty() && text == expectedQuestion_;
    if (!asked) messages_.push_back(text);
    // A message closes either way; a question not asked for is answered no.
    loop_.Post([this, asked] {
        if (dlg_->Message().Showing())
            dlg_->Message().Click(asked ? CMessageDlg::kOkButton : CMessageDlg::kCloseButton);
    });
}

bool Session::LinkLost() const {
    if (!linkOpened_) return false;
    return options_.serial ? !dlg_->SerialOpen() : !dlg_->TcpConnected();
}

Outcome Session::LinkLostOutcome() const {
    return {kExitLinkFailure, options_.serial ? kSerialPortFailed : kConnectionLost};
}

std::vector<std::string> Session::TakeMessages() {
    std::vector<std::string> taken;
    taken.swap(messages_);
    return taken;
}

bool Session::RunUntil(const std::function<bool()>& done, int maxMs) {
    const TimeMs deadline = loop_.Now() + maxMs;
    // The condition is checked after every event, not every few
    // milliseconds: a command line of many exchanges pays nothing per turn.
    while (!done() && !loop_.QuitRequested() && !LinkLost()) {
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

bool Session::Quiet() const { return Settled() && !dlg_->AwaitingReply(); }

Outcome Session::ClickAndWait(int id, int maxMs) { return ClickAndWait(*dlg_, id, maxMs); }

Outcome Session::EnterPage(int labelId, int maxMs) {
    const Rect r = dlg_->Controls().At(labelId).rect;
    return Act([&] { dlg_->PressAt({r.x + r.width / 2, r.y + r.height / 2}); }, maxMs);
}

Outcome Session::ClickAndWait(Window& window, int id, int maxMs) {
    return Act([&] { window.Click(id); }, maxMs);
}

Outcome Session::Act(const std::function<void()>& action, int maxMs) {
    TakeMessages();
    action();
    // A command that ended in a message ("Time out!") leaves the reply it
    // waited for outstanding: settled is enough then.
    RunUntil([this] { return Quiet() || (Settled() && !messages_.empty()) || LinkLost(); }, maxMs);
    if (LinkLost()) return LinkLostOutcome();
    auto messages = TakeMessages();
    if (!messages.empty()) return {kExitDeviceFailure, messages.front()};
    if (!Quiet()) return {kExitDeviceFailure, "Time out!"};
    return {};
}

bool Session::WaitForChain(const std::function<bool()>& done, int answerMs) {
    // Each unit sent (the next query, often sent by the very reply that
    // answered the last one) starts its own answer time.
    for (;;) {
        const unsigned long sent = dlg_->UnitsSent();
        if (!RunUntil([&] { return done() || dlg_->UnitsSent() != sent; }, answerMs)) return false;
        if (done()) return true;
    }
}

Outcome Session::OpenLink() {
    Outcome opened = options_.serial ? OpenSerial() : OpenTcp();
    if (!opened.Ok()) return opened;
    linkOpened_ = true;
    // The power state query goes out on connecting, and the beep state query
    // after a power-on answer.
    const bool answered = WaitForChain([this] { return Quiet() || LinkLost(); }, kReplyLimitMs);
    connectMessages_ = TakeMessages();
    if (LinkLost()) return LinkLostOutcome();
    if (!answered) return {kExitDeviceFailure, "Time out!"};
    return {};
}

Outcome Session::OpenSerial() {
    dlg_->ChooseSerialPort(options_.serialPath);
    TakeMessages();
    dlg_->Click(res::kComConnectButton);
    if (dlg_->SerialOpen()) return {};
    std::string error = "Open COM failed!";
    if (!dlg_->LastLinkError().empty()) error += " (" + dlg_->LastLinkError() + ")";
    return {kExitLinkFailure, error};
}

Outcome Session::OpenTcp() {
    const std::string ip = ResolveIpv4(options_.host);
    if (ip.empty()) return {kExitLinkFailure, ConnectFailedText("unknown host " + options_.host)};
    dlg_->AddSwitcherAddress(ip);
    dlg_->SetControlPort(options_.port);
    dlg_->Click(res::kTcpModeRadio);
    dlg_->Click(res::kTcpConnectButton);
    RunUntil([this] { return dlg_->TcpConnected() || !dlg_->LastLinkError().empty(); },
             kConnectLimitMs);
    if (dlg_->TcpConnected()) return {};
    std::string reason = dlg_->LastLinkError().empty() ? "no answer" : dlg_->LastLinkError();
    return {kExitLinkFailure, ConnectFailedText(reason)};
}

}  // namespace torvane::cli
