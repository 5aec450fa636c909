#pragma once
// The About box of the system menu: the program's name and version, and the
// switcher protocol's version the title carries, each named for what it is.

#include "ui/modal_dialog.h"

namespace torvane {

// The version of the switcher protocol the window speaks, as its title shows it.
inline constexpr const char* kProtocolVersion = "Ver6.41";

class CAboutDlg : public ModalDialog {
  public:
    CAboutDlg();
    void Open() {
        if (!Running()) Run(nullptr);
    }
    static const char* ItemText() { return "About Torvane..."; }

  protected:
    void OnInitDialog() override;
    void OnCommand(int id) override;
    void OnKey(int key) override;
};

}  // namespace torvane
