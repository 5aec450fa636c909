#include "ui/message_dlg.h"

namespace torvane {

CMessageDlg::CMessageDlg(const DialogTemplate& dialog)
    : ModalDialog(dialog, KeyFilter::kEnterEscapeSpace) {}

void CMessageDlg::SetMessageText(const std::string& text) {
    if (text_ == text) return;
    text_ = text;
    if (Running()) WindowTextChanged();
}

CMessageDlg::Layout CMessageDlg::LayoutOf(const std::string& text) {
    if (text == "Connect to Matrix failed!") return Layout::kConnectFailed;
    if (text == "Do you want to reset to factory settings?" ||
        text == "Are you sure you want to power off?")
        return Layout::kQuestion;
    return Layout::kOther;
}

void CMessageDlg::ShowMessage(std::function<void()> then) {
    if (Running()) {
        if (then) then();
        return;
    }
    Run([then = std::move(then)](int) {
        if (then) then();
    });
}

void CMessageDlg::ShowMessage(const std::string& text, std::function<void()> then) {
    SetMessageText(text);
    ShowMessage(std::move(then));
}

void CMessageDlg::Ask(const std::string& question, bool offerCancel, Then then) {
    SetMessageText(question);
    if (Running()) {
        if (then) then(kResultCancel);
        return;
    }
    confirmation_ = offerCancel;
    Run(std::move(then));
    // The flag is read only while the dialog initialises.
    confirmation_ = false;
}

void CMessageDlg::OnInitDialog() {
    Table().SetTooltip(kCloseButton, "Close");
    if (confirmation_) {
        const Rect ok = Controls().At(kOkButton).rect;
        const Rect cancel = Controls().At(kCancelButton).rect;
        Table().MoveTo(kCancelButton, {ok.x, ok.y});
        Table().MoveTo(kOkButton, {cancel.x, cancel.y});
        Table().SetVisible(kCancelButton, true);
        Table().SetVisible(kNoLongerRemindBox, true);
    }
}

void CMessageDlg::OnCommand(int id) {
    switch (id) {
        case kCloseButton:
        case kCancelButton:
            EndDialog(kResultCancel);
            break;
        case kOkButton:
            EndDialog(kResultOk);
            break;
        case kNoLongerRemindBox:
            noLongerRemind_ = Controls().Checked(id);
            break;
        default:
            break;
    }
}

void CMessageDlg::OnLeftButtonDown(Point) { Request(WindowRequest::kStartMove); }

}  // namespace torvane
