#pragma once
// The About box of the system menu: the program's name and version.

#include "ui/modal_dialog.h"

namespace torvane {

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
