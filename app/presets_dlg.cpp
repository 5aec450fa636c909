#include "app/presets_dlg.h"

#include "res/presets_dialog.h"

namespace torvane {

std::string DescribeReport(const PresetReport& report) {
    std::string text;
    for (const auto& output : report.outputs)
        text += std::string("OUTPUT ") + static_cast<char>('A' + output.output - 1) + ": " +
                OutcomeWord(output.outcome) + " (" + output.detail + ")\n";
    return text;
}

CPresetsDlg::CPresetsDlg(SwitcherProfile& profile, PresetLink& link)
    : ModalDialog(res::PresetsDialogTemplate(), KeyFilter::kNone), profile_(profile), link_(link) {}

void CPresetsDlg::Open() {
    if (!Running()) Run(nullptr);
}

void CPresetsDlg::OnInitDialog() {
    Table().SetText(res::kPresetsSwitcherLabel,
                    profile_.Known()
                        ? "Presets of switcher " + profile_.Key()
                        : "Connect to a switcher first: presets are kept for each switcher.");
    FillList("");
    EnableButtons();
}

void CPresetsDlg::FillList(const std::string& select) {
    if (!IsOpen()) return;
    Table().ResetContent(res::kPresetsDialogList);
    int index = 0;
    int chosen = profile_.Current().presets.empty() ? -1 : 0;
    for (const auto& [name, preset] : profile_.Current().presets) {
        if (name == select) chosen = index;
        Table().InsertItem(res::kPresetsDialogList, index++, name);
    }
    Table().SetSelection(res::kPresetsDialogList, chosen);
    ShowChosen();
}

std::string CPresetsDlg::Chosen() const { return Controls().Text(res::kPresetsDialogList); }

void CPresetsDlg::ShowChosen() {
    const auto& presets = profile_.Current().presets;
    const auto found = presets.find(Chosen());
    Table().SetText(res::kPresetNameEdit, found == presets.end() ? "" : found->first);
    Table().SetText(res::kPresetText,
                    found == presets.end() ? "" : profile::DescribePreset(found->second));
}

void CPresetsDlg::EnableButtons() {
    const bool known = profile_.Known();
    const bool idle = !working_;
    const bool chosen = known && !Chosen().empty();
    Table().SetEnabled(res::kPresetsDialogList, known && idle);
    Table().SetEnabled(res::kPresetNameEdit, known && idle);
    Table().SetEnabled(res::kPresetSaveButton, known && idle);
    Table().SetEnabled(res::kPresetApplyButton, chosen && idle);
    Table().SetEnabled(res::kPresetRenameButton, chosen && idle);
    Table().SetEnabled(res::kPresetDeleteButton, chosen && idle);
}

void CPresetsDlg::OnCommand(int id) {
    SetProblem("");
    if (id == res::kPresetSaveButton) return OnSave();
    if (id == res::kPresetRenameButton) return OnRename();
    if (id == res::kPresetDeleteButton) return OnDelete();
    if (id == res::kPresetApplyButton) return OnApply();
    if (id == res::kPresetsCloseButton) EndDialog(kResultOk);
}

void CPresetsDlg::OnSelectionChange(int id) {
    if (id != res::kPresetsDialogList) return;
    SetProblem("");
    ShowChosen();
    EnableButtons();
}

void CPresetsDlg::OnKey(int key) {
    if (key == kKeyEscape) EndDialog(kResultCancel);
}

void CPresetsDlg::SetProblem(const std::string& text) {
    if (!IsOpen()) return;
    Table().SetText(res::kPresetsProblemLabel, text);
}

void CPresetsDlg::Change(const std::function<Status(profile::Profile&)>& change,
                         const std::string& select) {
    if (Status changed = profile_.Change(change); !changed) {
        SetProblem(changed.error().message);
        return;
    }
    FillList(select);
    EnableButtons();
}

void CPresetsDlg::WithRouting(std::function<void(const RoutingState&)> then) {
    working_ = true;
    EnableButtons();
    SetProblem("Reading the routing...");
    link_.ReadRouting([this, alive = alive_, then](const Result<RoutingState>& state) {
        if (!*alive) return;
        SetProblem("");
        if (!state) {
            SetProblem(state.error().message);
            return Finished();
        }
        then(*state);
    });
}

void CPresetsDlg::Finished() {
    working_ = false;
    if (IsOpen()) EnableButtons();
    // Let go of the link after the call that ended has returned.
    link_.Release();
}

void CPresetsDlg::OnSave() {
    const std::string name = Controls().Text(res::kPresetNameEdit);
    if (auto problem = profile::NameProblem(name, "the preset name", false); !problem.empty())
        return SetProblem(problem);
    WithRouting([this, name](const RoutingState& state) {
        auto preset = PresetFromState(state, {});
        if (!preset)
            SetProblem(preset.error().message);
        else
            Change([&](profile::Profile& p) { return profile::SavePreset(p, name, *preset); },
                   name);
        Finished();
    });
}

void CPresetsDlg::OnRename() {
    const std::string from = Chosen();
    const std::string to = Controls().Text(res::kPresetNameEdit);
    Change([&](profile::Profile& p) { return profile::RenamePreset(p, from, to); }, to);
}

void CPresetsDlg::OnDelete() {
    const std::string name = Chosen();
    Change([&](profile::Profile& p) { return profile::DeletePreset(p, name); }, "");
}

void CPresetsDlg::OnApply() {
    const std::string name = Chosen();
    const auto& presets = profile_.Current().presets;
    const auto found = presets.find(name);
    if (found == presets.end()) return;
    const profile::Preset preset = found->second;
    Table().SetText(res::kPresetText, "Applying \"" + name + "\"...\n");
    WithRouting([this, name, preset](const RoutingState& state) {
        run_ =
            std::make_unique<PresetRun>(link_.Commands(), preset, state, false,
                                        [this, alive = alive_, name](const PresetReport& report) {
                                            if (*alive) OnApplied(name, report);
                                        });
        run_->Start();
    });
}

void CPresetsDlg::OnApplied(const std::string& name, const PresetReport& report) {
    if (IsOpen()) {
        Table().SetText(res::kPresetText, DescribeReport(report));
        SetProblem(report.AnyFailed() ? "\"" + name + "\" was applied in part: see each output"
                                      : "\"" + name + "\" applied");
    }
    Finished();
}

}  // namespace torvane
