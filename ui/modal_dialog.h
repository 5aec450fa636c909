#pragma once
// A modal dialog as a continuation: Run() creates the window and returns at
// once; whoever shows the dialog passes what to do when it closes, and the
// front-end reports the button that closed it. No nested event loop: timers,
// replies and posted tasks go on being handled while the dialog shows.

#include <functional>

#include "ui/window.h"

namespace torvane {

class ModalDialog : public Window {
  public:
    using Then = std::function<void(int result)>;
    static constexpr int kResultOk = 1;
    static constexpr int kResultCancel = 2;

    using Window::Window;

    bool Running() const { return IsOpen(); }
    // The window system's close command (title-bar close, Alt+F4): ends the
    // run with result 2.
    void CloseBySystem();

  protected:
    void Run(Then then);
    // Destroys the window, then runs the continuation with `result`.
    void EndDialog(int result);

  private:
    Then then_;
};

}  // namespace torvane
