#include "ui/status_dlg.h"

namespace torvane {
namespace {
constexpr int kDotStepMs = 300;
constexpr int kOneDot = 1001;
constexpr int kTwoDots = 1002;
constexpr int kThreeDots = 1003;
}  // namespace

CStatusDlg::CStatusDlg(EventLoop& loop, const DialogTemplate& dialog)
    : ModalDialog(dialog, KeyFilter::kNone), timers_(loop, [this](int id) { OnTimer(id); }) {}

std::string CStatusDlg::Label() const { return Running() ? Controls().Text(kLabel) : ""; }

bool CStatusDlg::CheckMarkShown() const { return Running() && Controls().Visible(kCheckMark); }

void CStatusDlg::ShowBusy(std::function<void()> then) {
    if (flag_) {
        if (then) then();
        return;
    }
    flag_ = true;
    Run([this, then = std::move(then)](int) {
        timers_.KillAll();
        if (then) then();
    });
}

void CStatusDlg::ShowBusy(const std::string& text, std::function<void()> then) {
    text_ = text;
    ShowBusy(std::move(then));
}

void CStatusDlg::FinishBusy() {
    if (!Running()) return;
    timers_.KillAll();
    Table().SetVisible(kCheckMark, true);
    Table().SetText(kLabel, text_);
}

void CStatusDlg::CloseBusy() {
    flag_ = false;
    EndDialog(kResultOk);
}

void CStatusDlg::OnInitDialog() {
    Table().SetVisible(kCheckMark, false);
    ShowLabel(" . . .");
    timers_.SetTimer(kOneDot, kDotStepMs);
}

void CStatusDlg::OnKey(int key) {
    // No key filter here: Escape ends the run, while the flag stays set until
    // the command's own handling closes the dialog.
    if (key == kKeyEscape) EndDialog(kResultCancel);
}

void CStatusDlg::ShowLabel(const char* dots) { Table().SetText(kLabel, text_ + dots); }

void CStatusDlg::OnTimer(int id) {
    timers_.KillTimer(id);
    switch (id) {
        case kOneDot:
            ShowLabel(" .");
            timers_.SetTimer(kTwoDots, kDotStepMs);
            break;
        case kTwoDots:
            ShowLabel(" . .");
            timers_.SetTimer(kThreeDots, kDotStepMs);
            break;
        case kThreeDots:
            ShowLabel(" . . .");
            timers_.SetTimer(kOneDot, kDotStepMs);
            break;
        default:
            break;
    }
}

}  // namespace torvane
