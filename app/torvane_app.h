#pragma once
// The application object: prepares the process, creates the main window and
// runs it until Close ends the program.

#include <memory>

#include "app/torvane_dlg.h"
#include "pages/edid_dlg.h"
#include "pages/fw_dlg.h"
#include "pages/matrix_dlg.h"

namespace torvane {

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

  private:
    EventLoop& loop_;
    LinkFactory& links_;
    std::unique_ptr<PortListRefresher> ports_;
    std::unique_ptr<CTorvaneDlg> dlg_;
    CEDIDDlg* edid_ = nullptr;
    CMatrixDlg* matrix_ = nullptr;
    CFWDlg* upgrade_ = nullptr;
};

}  // namespace torvane
