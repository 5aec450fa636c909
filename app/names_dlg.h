#pragma once
// The Names dialog: the operator names the inputs and outputs of the
// switcher the link reaches. OK keeps every name at once, or none: a name
// that may not be kept is said in the dialog, which stays open.

#include <string>

#include "app/switcher_profile.h"
#include "ui/modal_dialog.h"

namespace torvane {

class CNamesDlg : public ModalDialog {
  public:
    explicit CNamesDlg(SwitcherProfile& profile);

    static const char* ItemText() { return "Names..."; }
    // Opens the dialog with the current names; without a known switcher the
    // dialog says so and takes nothing.
    void Open();

  protected:
    void OnInitDialog() override;
    void OnCommand(int id) override;
    void OnKey(int key) override;

  private:
    void OnOk();

    SwitcherProfile& profile_;
};

}  // namespace torvane
