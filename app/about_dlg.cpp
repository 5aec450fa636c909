#include "app/about_dlg.h"

#include "res/dialog_templates.h"
#include "res/resource_ids.h"

#ifndef TORVANE_VERSION
#define TORVANE_VERSION "0"
#endif

namespace torvane {

CAboutDlg::CAboutDlg() : ModalDialog(res::AboutBoxTemplate(), KeyFilter::kNone) {}

void CAboutDlg::OnInitDialog() {
    Table().SetText(res::kAboutNameLabel, std::string("Torvane ") + TORVANE_VERSION);
    Table().SetText(res::kAboutVersionLabel,
                    std::string("Switcher protocol ") + kProtocolVersion + ", as in the title");
}

void CAboutDlg::OnCommand(int id) {
    if (id == res::kAboutOkButton) EndDialog(kResultOk);
}

void CAboutDlg::OnKey(int key) {
    if (key == kKeyEnter) EndDialog(kResultOk);
    if (key == kKeyEscape) EndDialog(kResultCancel);
}

}  // namespace torvane
