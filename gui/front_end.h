#pragma once
// The Torvane window on screen: the main window with its skin, the page
// windows inside it, and the message, busy and About dialogs, each opened
// window-modally over the main window when its model opens and hidden when
// it closes. The models decide everything; this only shows them.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/torvane_dlg.h"
#include "gui/link_status_line.h"
#include "gui/window_view.h"

namespace torvane::gui {

class FrontEnd {
  public:
    explicit FrontEnd(CTorvaneDlg& dlg);
    ~FrontEnd();
    FrontEnd(const FrontEnd&) = delete;
    FrontEnd& operator=(const FrontEnd&) = delete;

    void Show();
    // The main window model is being destroyed (the program ends): every view
    // hides and lets go of its model.
    void Detach();

    CTorvaneDlg& Dlg() { return dlg_; }
    WindowView& MainView() { return *main_; }
    WindowView& MessageView() { return *message_; }
    WindowView& BusyView() { return *busy_; }
    WindowView& AboutView() { return *about_; }
    WindowView& NetworkConfigView() { return *netConfig_; }
    // The line under the pages that tells how the link is.
    LinkStatusLine& StatusLine() { return *statusLine_; }
    // The view of a page window.
    WindowView* PageView(PageCode code);
    // Shows another modal dialog of the program (the network configuration
    // dialog) with its look, window-modal over the main window.
    WindowView& AddDialog(Window& window, std::unique_ptr<Skin> skin);
    // A framed dialog the header's right-click menu opens: `open` runs when
    // the operator chooses `item`.
    WindowView& AddMenuDialog(const std::string& item, Window& window, std::function<void()> open);
    // What choosing `item` of that menu does; false when the menu has none.
    bool ChooseMenuItem(const std::string& item);
    // The view of a dialog window, or nullptr.
    WindowView* ViewOf(const Window& window) const;

  private:
    WindowView* MakeDialogView(Window& window, std::unique_ptr<Skin> skin, bool framed);
    void AttachPages();

    CTorvaneDlg& dlg_;
    std::unique_ptr<WindowView> main_;
    // Owned by the main view (their Qt parent).
    WindowView* message_ = nullptr;
    WindowView* busy_ = nullptr;
    WindowView* about_ = nullptr;
    WindowView* netConfig_ = nullptr;
    LinkStatusLine* statusLine_ = nullptr;
    std::map<PageCode, WindowView*> pages_;
    struct MenuItem {
        std::string text;
        std::function<void()> choose;
    };
    std::vector<MenuItem> menu_;
    // Every view but the main one (its Qt children).
    std::vector<WindowView*> views_;
};

}  // namespace torvane::gui
