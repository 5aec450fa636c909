#pragma once
// The Presets dialog: the presets of the switcher the link reaches. Save
// current keeps the routing the switcher confirmed under the name typed;
// Apply sends what the chosen preset changes and shows each output's
// result; Rename and Delete change the list.

#include <memory>
#include <string>

#include "app/preset_apply.h"
#include "app/switcher_profile.h"
#include "ui/modal_dialog.h"

namespace torvane {

// What the dialog needs of the window beyond the profile.
class PresetLink {
  public:
    virtual ~PresetLink() = default;
    using Read = std::function<void(const Result<RoutingState>& state)>;
    // Reads the routing and ARC state the switcher confirms now; an error
    // when no link is open or the switcher does not answer.
    virtual void ReadRouting(Read done) = 0;
    // Valid from ReadRouting's answer until Release.
    virtual RoutingCommands& Commands() = 0;
    // What ReadRouting began is over (a save or an application ended).
    virtual void Release() {}
};

class CPresetsDlg : public ModalDialog {
  public:
    CPresetsDlg(SwitcherProfile& profile, PresetLink& link);
    ~CPresetsDlg() override { *alive_ = false; }

    static const char* ItemText() { return "Presets..."; }
    void Open();
    // A save or an application waits for the switcher.
    bool Working() const { return working_; }

  protected:
    void OnInitDialog() override;
    void OnCommand(int id) override;
    void OnSelectionChange(int id) override;
    void OnKey(int key) override;

  private:
    void FillList(const std::string& select);
    void ShowChosen();
    std::string Chosen() const;
    void OnSave();
    void OnRename();
    void OnDelete();
    void OnApply();
    void OnApplied(const std::string& name, const PresetReport& report);
    // Reads the routing, then runs `then` with it; a failure is shown.
    void WithRouting(std::function<void(const RoutingState&)> then);
    void Finished();
    void Change(const std::function<Status(profile::Profile&)>& change, const std::string& select);
    void SetProblem(const std::string& text);
    void EnableButtons();

    SwitcherProfile& profile_;
    PresetLink& link_;
    std::unique_ptr<PresetRun> run_;
    bool working_ = false;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// The report as lines, one per output: "OUTPUT A: changed (IN3)".
std::string DescribeReport(const PresetReport& report);

}  // namespace torvane
