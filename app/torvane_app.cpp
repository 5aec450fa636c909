#include "app/torvane_app.h"

#include "app/window_preset_link.h"

namespace torvane {

CTorvaneApp::CTorvaneApp(EventLoop& loop, LinkFactory& links,
                         std::unique_ptr<PortListRefresher> ports)
    : loop_(loop), links_(links), ports_(std::move(ports)) {}

CTorvaneApp::~CTorvaneApp() {
    // The binding watches the window; it goes first.
    binding_.reset();
}

void CTorvaneApp::KeepProfiles(std::optional<profile::ProfileStore> store) {
    binding_.reset();
    profile_ = std::make_unique<SwitcherProfile>(std::move(store));
    names_ = std::make_unique<CNamesDlg>(*profile_);
    presets_.reset();
    presetLink_ = std::make_unique<WindowPresetLink>(*this, loop_);
    presets_ = std::make_unique<CPresetsDlg>(*profile_, *presetLink_);
    if (dlg_) binding_ = std::make_unique<ProfileBinding>(*dlg_, links_, *profile_);
}

CTorvaneDlg& CTorvaneApp::InitInstance(std::function<void(int)> onExit) {
    dlg_ = std::make_unique<CTorvaneDlg>(loop_, links_, std::move(ports_));
    auto edid = std::make_unique<CEDIDDlg>(*dlg_);
    auto upgrade = std::make_unique<CFWDlg>(*dlg_);
    auto matrix = std::make_unique<CMatrixDlg>(*dlg_);
    edid_ = edid.get();
    upgrade_ = upgrade.get();
    matrix_ = matrix.get();
    dlg_->SetPage(std::move(edid));
    dlg_->SetPage(std::move(upgrade));
    dlg_->SetPage(std::move(matrix));
    dlg_->SetOnQuit([this, onExit = std::move(onExit)](int code) {
        // Runs as a posted task of the window; destroy it after that task.
        loop_.Post([this, code, onExit] {
            // What watches the window goes before it.
            if (presetLink_) presetLink_->LetGo();
            binding_.reset();
            dlg_.reset();
            if (onExit) onExit(code);
        });
    });
    dlg_->InitDialog();
    return *dlg_;
}

}  // namespace torvane
