#include "pages/fw_dlg.h"

#include <algorithm>
#include <filesystem>

#include "platform/utf8_path.h"
#include "res/upgrade_page_ids.h"
#include "res/upgrade_page_template.h"
#include "ui/message_dlg.h"

namespace torvane {
namespace {

constexpr Rgb kFailureRed{255, 0, 0};

}  // namespace

CFWDlg::CFWDlg(PageHost& host)
    : Window(res::UpgradePageTemplate(), KeyFilter::kEnterEscape),
      host_(host),
      timers_(host.Loop(), [this](int id) { commands_.OnTimer(id); }),
      commands_(timers_, SendThrough(host, SendRequest::kCommandFromUpgrade),
                [this](const CommandRecord& command) { OnGiveUp(command); }) {
    image_.fill(0xFF);
}

CFWDlg::~CFWDlg() { timers_.KillAll(); }

void CFWDlg::OnCommand(int id) {
    switch (id) {
        case res::kFirmwareOpenButton:
            OnOpen();
            break;
        case res::kUpgradeButton:
            OnUpgrade();
            break;
        case res::kDeviceTextSetButton:
            WriteDeviceText();
            break;
        // The off-page "Open" has no action.
        default:
            break;
    }
}

// --- image file ---

void CFWDlg::OnOpen() {
    // Only looked at: choosing a file sends nothing.
    if (!host_.BusyGateOpen()) return;
    ChooseFile({"Open", "Binary file(*.bin)|*.bin||"},
               [this](const std::optional<std::string>& path) {
                   if (path) LoadImage(*path);
               });
}

void CFWDlg::LoadImage(const std::string& path) {
    auto file = ReadFirmwareFile(path);
    if (!file) {
        // A file the switcher cannot take leaves the image it has in place;
        // one that cannot be read changes nothing, silently.
        if (file.error().kind == Error::Kind::kBadInput)
            host_.Message().ShowMessage(file.error().message);
        return;
    }
    image_.fill(0xFF);
    std::copy(file->begin(), file->end(), image_.begin());
    imageLength_ = static_cast<int>(file->size());
    Table().SetPosition(res::kUpgradeProgress, 0);
    Table().SetRange(res::kUpgradeProgress, 0, imageLength_);
    std::error_code ignored;
    const std::filesystem::path full = std::filesystem::absolute(PathFromUtf8(path), ignored);
    Table().SetText(res::kFirmwarePathBox, full.empty() ? path : Utf8FromPath(full));
}

// --- the Messages log ---

void CFWDlg::AppendLog(const char* line) {
    Table().SetText(res::kUpgradeLog, Controls().Text(res::kUpgradeLog) + line + "\r\n");
}

void CFWDlg::SetFailureMark(bool set) {
    failureMark_ = set;
    Table().SetTextColor(res::kUpgradeLog, set ? std::optional<Rgb>(kFailureRed) : std::nullopt);
}

// --- replies ---

void CFWDlg::OnReply(const std::uint8_t* frame) {
    if (OnDeviceInfoReply(frame)) return;
    OnTransferReply(frame);
}

}  // namespace torvane
