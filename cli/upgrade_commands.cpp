#include "cli/upgrade_commands.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <ostream>

#include "cli/terminal_text.h"
#include "pages/firmware_image.h"
#include "pages/fw_dlg.h"
#include "res/resource_ids.h"
#include "res/upgrade_page_ids.h"
#include "ui/text_codec.h"

namespace torvane::cli {
namespace {

// The device-information chain and the device-text exchange have no time-out
// of their own: each answer gets this long.
constexpr int kAnswerLimitMs = 3000;
// The page's own timers end every path of an upgrade (at most 10 s of ready
// polls, 6 s per unanswered block, 36 s of restart); this is only a safety net.
constexpr int kUpgradeLimitMs = 15 * 60 * 1000;
constexpr std::size_t kDeviceTextLength = 32;
constexpr std::size_t kHalfLength = 16;

const char* const kSuccessLine = "->Firmware upgrade successfully ";
const char* const kFailureLine = "->MCU upgrade failed";

CFWDlg& UpgradePage(Session& session) { return session.App().UpgradePage(); }

bool WaitForChain(Session& session, const std::function<bool()>& done) {
    return session.WaitForChain(done, kAnswerLimitMs);
}

// Enters the page, which reads the device line and the device text.
Outcome EnterAndRead(Session& session, CFWDlg& page) {
    const int reads = page.DeviceTextReads();
    const Rect label = session.Dlg().Controls().At(res::kUpgradeLabel).rect;
    session.TakeMessages();
    session.Dlg().PressAt({label.x + label.width / 2, label.y + label.height / 2});
    if (!WaitForChain(session, [&] { return page.DeviceTextReads() > reads; })) {
        if (session.LinkLost()) return session.LinkLostOutcome();
        auto messages = session.TakeMessages();
        return {kExitDeviceFailure, messages.empty() ? "Time out!" : messages.front()};
    }
    return {};
}

std::string DeviceLine(CFWDlg& page) { return page.Controls().Text(res::kDeviceLineLabel); }
std::string DeviceText(CFWDlg& page) { return page.Controls().Text(res::kDeviceTextLabel); }

int Info(CFWDlg& page, const Printer& print) {
    if (print.options.json) {
        print.out << print.Succeeded(JsonObject()
                                         .AddString("device", DeviceLine(page))
                                         .AddString("text", DeviceText(page)))
                  << "\n";
        return kExitDone;
    }
    print.out << TerminalText(DeviceLine(page)) << "\n" << TerminalText(DeviceText(page)) << "\n";
    return kExitDone;
}

int SetText(Session& session, CFWDlg& page, const std::string& text, const Printer& print) {
    // The hidden editor holds the text as two halves of 16 characters.
    const std::string first = FirstCharacters(text, kHalfLength);
    page.EditText(res::kDeviceTextFirstHalf, first);
    page.EditText(res::kDeviceTextSecondHalf, text.substr(first.size()));
    const int reads = page.DeviceTextReads();
    session.TakeMessages();
    page.WriteDeviceText();
    const bool readBack = WaitForChain(session, [&] { return page.DeviceTextReads() > reads; });
    auto messages = session.TakeMessages();
    if (!readBack || messages.empty() || messages.front() != "Set successfully!")
        return print.Fail(
            {kExitDeviceFailure, !messages.empty() ? messages.front() : std::string("Time out!")});
    if (print.options.json) {
        print.out << print.Succeeded(JsonObject().AddString("text", DeviceText(page))) << "\n";
        return kExitDone;
    }
    print.out << messages.front() << "\n" << TerminalText(DeviceText(page)) << "\n";
    return kExitDone;
}

// Follows the log as it grows, and the transfer's progress on standard
// error: a bar on a terminal, else a line each tenth of the image (a JSON
// line with --json), so a script or a log file sees it too.
class UpgradeWatch {
  public:
    UpgradeWatch(CFWDlg& page, const Printer& print, EventLoop& loop)
        : page_(page),
          print_(print),
          loop_(loop),
          bar_(!print.options.json && ::isatty(STDERR_FILENO)),
          blocks_(FirmwareBlockCount(page.ImageLength())) {}

    void Update() {
        const std::string log = page_.Controls().Text(res::kUpgradeLog);
        if (log.size() < printed_) printed_ = 0;  // emptied by the Upgrade button
        std::size_t end;
        while ((end = log.find("\r\n", printed_)) != std::string::npos) {
            const std::string line = log.substr(printed_, end - printed_);
            printed_ = end + 2;
            lines_.push_back(line);
            if (print_.options.json) continue;
            EndBar();
            print_.out << line << std::endl;
        }
        if (bar_ && page_.State() == UpgradeState::kSending) DrawBar();
        if (!bar_) WriteProgressLine();
    }
    void EndBar() {
        if (barShown_) print_.err << "\n";
        barShown_ = false;
    }
    bool Ended() const {
        return page_.State() == UpgradeState::kIdle && !lines_.empty() &&
               (lines_.back() == kSuccessLine || lines_.back() == kFailureLine);
    }
    bool Succeeded() const { return !lines_.empty() && lines_.back() == kSuccessLine; }
    const std::vector<std::string>& Lines() const { return lines_; }

  private:
    // The share of the image the switcher has confirmed, as the page's
    // progress bar shows it.
    void WriteProgressLine() {
        const Control& bar = page_.Controls().At(res::kUpgradeProgress);
        if (bar.rangeMax <= 0) return;
        const int percent =
            static_cast<int>(std::min<long long>(100, 100LL * bar.position / bar.rangeMax));
        // One line for every tenth, also when several pass at once.
        while (lastTenth_ < percent / 10) {
            const std::string shown = std::to_string(++lastTenth_ * 10);
            if (print_.options.json)
                print_.err << JsonObject().Add("progress", shown).Text() << std::endl;
            else
                print_.err << "progress " << shown << "%" << std::endl;
        }
    }

    void DrawBar() {
        const int sent = page_.TransferOffset() / static_cast<int>(kDataPayloadSize);
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
        const int filled = blocks_ ? sent * kWidth / blocks_ : 0;
        char text[128];
        std::snprintf(text, sizeof text, "\r[%-*s] %d/%d blocks %.0f B/s", kWidth,
                      std::string(static_cast<std::size_t>(filled), '#').c_str(), sent, blocks_,
                      rate);
        print_.err << text << std::flush;
        barShown_ = true;
    }

    CFWDlg& page_;
    const Printer& print_;
    EventLoop& loop_;
    bool bar_;
    int blocks_;
    std::size_t printed_ = 0;
    std::vector<std::string> lines_;
    bool barShown_ = false;
    bool started_ = false;
    TimeMs startMs_ = 0;
    int lastSent_ = -1;
    int lastTenth_ = 0;
};

int Upgrade(Session& session, CFWDlg& page, const std::string& path, const Printer& print) {
    session.TakeMessages();
    page.Click(res::kFirmwareOpenButton);
    if (!page.PendingFileChoice())
        return print.Fail({kExitDeviceFailure, "the Upgrade page is busy"});
    page.AnswerFileChoice(path);
    if (auto messages = session.TakeMessages(); !messages.empty())
        return print.Fail({kExitUsage, messages.front()});
    if (page.Controls().Text(res::kFirmwarePathBox).empty())
        return print.Fail({kExitUsage, path + ": cannot be read"});

    const int reads = page.DeviceTextReads();
    UpgradeWatch watch(page, print, session.Dlg().Loop());
    page.Click(res::kUpgradeButton);
    session.RunUntil(
        [&] {
            watch.Update();
            return watch.Ended();
        },
        kUpgradeLimitMs);
    watch.EndBar();
    if (session.LinkLost()) return print.Fail(session.LinkLostOutcome());
    auto messages = session.TakeMessages();
    if (!watch.Succeeded()) {
        std::string error = !messages.empty() ? messages.front() : "MCU upgrade failed";
        if (!watch.Ended()) error = "Time out!";
        return print.Fail({kExitDeviceFailure, error});
    }
    // The switcher answered again: the device line shows its new version.
    WaitForChain(session, [&] { return page.DeviceTextReads() > reads; });
    if (print.options.json) {
        print.out << print.Succeeded(JsonObject().AddString("device", DeviceLine(page))) << "\n";
        return kExitDone;
    }
    if (!DeviceLine(page).empty()) print.out << TerminalText(DeviceLine(page)) << "\n";
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
        // The switcher keeps one byte per character, the character's code.
        std::string misfit;
        if (!Utf8ToLatin1(args[1], &misfit)) {
            refused = {kExitUsage,
                       "the device text takes Latin-1 characters only (up to U+00FF), not " +
                           TerminalText(misfit)};
            return std::nullopt;
        }
        if (CharacterCount(args[1]) > kDeviceTextLength) {
            refused = {kExitUsage, "the device text has at most 32 characters"};
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
    CFWDlg& page = UpgradePage(session);
    Outcome entered = EnterAndRead(session, page);
    // The window lets the operator upgrade a switcher that does not tell its
    // identity (its firmware may be what is broken): so does the tool.
    if (!entered.Ok() && (request.action != UpgradeRequest::kUpgrade || session.LinkLost()))
        return print.Fail(entered);
    if (!entered.Ok()) {
        const std::string warning = "the switcher did not tell its identity (" + entered.error +
                                    "); upgrading all the same";
        // With --json, standard error carries the progress as JSON lines.
        if (print.options.json)
            print.warnings.push_back(warning);
        else
            print.Warn(warning);
    }
    switch (request.action) {
        case UpgradeRequest::kInfo:
            return Info(page, print);
        case UpgradeRequest::kTextSet:
            return SetText(session, page, request.text, print);
        case UpgradeRequest::kUpgrade:
            return Upgrade(session, page, request.path, print);
    }
    return kExitDone;
}

}  // namespace torvane::cli
