#pragma once
// The application object: prepares the process, creates the main window and
// runs it until Close ends the program.

#include <memory>

#include "app/names_dlg.h"
#include "app/presets_dlg.h"
#include "app/profile_binding.h"
#include "app/switcher_profile.h"
#include "app/torvane_dlg.h"
#include "pages/edid_dlg.h"
#include "pages/fw_dlg.h"
#include "pages/matrix_dlg.h"

namespace torvane {

class WindowPresetLink;

class CTorvaneApp {
  public:
    CTorvaneApp(EventLoop& loop, LinkFactory& links,
                std::unique_ptr<PortListRefresher> ports = nullptr);
    ~CTorvaneApp();

    // Creates and initialises the main window. `onExit` runs with the exit
    // code when the main window asks the program to end; the window is
    // destroyed first, which stops the serial port and closes the links.
    CTorvaneDlg& InitInstance(std::function<void(int exitCode)> onExit);
    CTorvaneDlg* MainWindow() { return dlg_.get(); }
    // The pages InitInstance installed, as front-ends use them.
    CEDIDDlg& EdidPage() { return *edid_; }
    CMatrixDlg& MatrixPage() { return *matrix_; }
    CFWDlg& UpgradePage() { return *upgrade_; }

    // Keeps names and presets in `store` for each switcher the window
    // connects to, and offers the dialogs that edit them. Call after
    // InitInstance.
    void KeepProfiles(std::optional<profile::ProfileStore> store);
    // Nothing until KeepProfiles.
    SwitcherProfile* Profiles() { return profile_.get(); }
    CNamesDlg* NamesDialog() { return names_.get(); }
    CPresetsDlg* PresetsDialog() { return presets_.get(); }

  private:
    EventLoop& loop_;
    LinkFactory& links_;
    std::unique_ptr<PortListRefresher> ports_;
    std::unique_ptr<CTorvaneDlg> dlg_;
    CEDIDDlg* edid_ = nullptr;
    CMatrixDlg* matrix_ = nullptr;
    CFWDlg* upgrade_ = nullptr;
    std::unique_ptr<SwitcherProfile> profile_;
    std::unique_ptr<ProfileBinding> binding_;
    std::unique_ptr<CNamesDlg> names_;
    std::unique_ptr<WindowPresetLink> presetLink_;
    std::unique_ptr<CPresetsDlg> presets_;
};

}  // namespace torvane
