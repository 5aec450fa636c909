#pragma once
// The application object: prepares the process, creates the main window and
// runs it until Close ends the program.

#include <memory>

#include "app/torvane_dlg.h"

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

  private:
    EventLoop& loop_;
    LinkFactory& links_;
    std::unique_ptr<PortListRefresher> ports_;
    std::unique_ptr<CTorvaneDlg> dlg_;
};

}  // namespace torvane
