#include "app/names_dlg.h"

#include "res/names_dialog.h"

namespace torvane {

using profile::PortKind;

CNamesDlg::CNamesDlg(SwitcherProfile& profile)
    : ModalDialog(res::NamesDialogTemplate(), KeyFilter::kNone), profile_(profile) {}

void CNamesDlg::Open() {
    if (!Running()) Run(nullptr);
}

void CNamesDlg::OnInitDialog() {
    const bool known = profile_.Known();
    const auto& current = profile_.Current();
    for (int k = 0; k < profile::kPorts; ++k) {
        const auto slot = static_cast<std::size_t>(k);
        Table().SetText(res::kNamesFirstInputEdit + k, current.inputNames[slot]);
        Table().SetText(res::kNamesFirstOutputEdit + k, current.outputNames[slot]);
        Table().SetEnabled(res::kNamesFirstInputEdit + k, known);
        Table().SetEnabled(res::kNamesFirstOutputEdit + k, known);
    }
    Table().SetEnabled(res::kNamesOkButton, known);
    Table().SetText(res::kNamesSwitcherLabel,
                    known ? "Names of switcher " + profile_.Key()
                          : "Connect to a switcher first: names are kept for each switcher.");
}

void CNamesDlg::OnCommand(int id) {
    if (id == res::kNamesOkButton) return OnOk();
    if (id == res::kNamesCancelButton) EndDialog(kResultCancel);
}

void CNamesDlg::OnKey(int key) {
    if (key == kKeyEnter) OnOk();
    if (key == kKeyEscape) EndDialog(kResultCancel);
}

void CNamesDlg::OnOk() {
    if (!profile_.Known()) return;
    const Status changed = profile_.Change([this](profile::Profile& p) -> Status {
        const std::pair<PortKind, int> kinds[] = {{PortKind::kInput, res::kNamesFirstInputEdit},
                                                  {PortKind::kOutput, res::kNamesFirstOutputEdit}};
        for (const auto& [kind, firstEdit] : kinds)
            for (int k = 0; k < profile::kPorts; ++k)
                if (Status set = profile::SetName(p, kind, k + 1, Controls().Text(firstEdit + k));
                    !set)
                    return set;
        return {};
    });
    if (!changed) {
        Table().SetText(res::kNamesProblemLabel, changed.error().message);
        return;
    }
    EndDialog(kResultOk);
}

}  // namespace torvane
